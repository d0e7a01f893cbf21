#pragma once
// Root of the framework's class tree and its run-time class records. A class that is
// created by name declares ORMIX_DECLARE_DYNCREATE in its body and ORMIX_IMPLEMENT_DYNCREATE
// in its source file; CRuntimeClass::FromName then finds it and CreateObject makes one.

class CObject;

struct CRuntimeClass {
  const char* m_lpszClassName;
  const CRuntimeClass* m_pBaseClass;
  CObject* (*m_pfnCreateObject)();  // NULL for classes that cannot be created by name
  const CRuntimeClass* m_pNextClass;  // registration chain, filled at start-up

  CObject* CreateObject() const;
  bool IsDerivedFrom(const CRuntimeClass* base) const;

  // The registered class of that exact name, or NULL.
  static const CRuntimeClass* FromName(const char* className);
  static CObject* CreateObject(const char* className);
};

// Adds a class record to the registry when the program starts.
struct CRuntimeClassRegistration {
  explicit CRuntimeClassRegistration(CRuntimeClass* record);
};

class CObject {
 public:
  virtual ~CObject() = default;
  virtual const CRuntimeClass* GetRuntimeClass() const;
  bool IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

  static CRuntimeClass classCObject;

 protected:
  CObject() = default;
  CObject(const CObject&) = delete;
  CObject& operator=(const CObject&) = delete;
};

#define ORMIX_RUNTIME_CLASS(name) (&name::class##name)

#define ORMIX_DECLARE_DYNAMIC(name)                         \
 public:                                                    \
  static CRuntimeClass class##name;                         \
  const CRuntimeClass* GetRuntimeClass() const override;

#define ORMIX_DECLARE_DYNCREATE(name) \
  ORMIX_DECLARE_DYNAMIC(name)         \
  static CObject* CreateObject();

#define ORMIX_IMPLEMENT_RUNTIMECLASS(name, base, factory)                                   \
  CRuntimeClass name::class##name = {#name, ORMIX_RUNTIME_CLASS(base), factory, nullptr};   \
  static const CRuntimeClassRegistration ormixRegister##name(&name::class##name);           \
  const CRuntimeClass* name::GetRuntimeClass() const { return &name::class##name; }

#define ORMIX_IMPLEMENT_DYNAMIC(name, base) ORMIX_IMPLEMENT_RUNTIMECLASS(name, base, nullptr)

#define ORMIX_IMPLEMENT_DYNCREATE(name, base)         \
  CObject* name::CreateObject() { return new name; } \
  ORMIX_IMPLEMENT_RUNTIMECLASS(name, base, name::CreateObject)
