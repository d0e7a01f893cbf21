#include "framework/Object.h"

#include <cstring>

namespace {
const CRuntimeClass* g_firstClass = nullptr;
}

CRuntimeClass CObject::classCObject = {"CObject", nullptr, nullptr, nullptr};

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

CRuntimeClassRegistration::CRuntimeClassRegistration(CRuntimeClass* record) {
  record->m_pNextClass = g_firstClass;
  g_firstClass = record;
}

CObject* CRuntimeClass::CreateObject() const {
  return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
    if (c == base) return true;
  return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* className) {
  if (!className) return nullptr;
  for (const CRuntimeClass* c = g_firstClass; c; c = c->m_pNextClass)
    if (std::strcmp(c->m_lpszClassName, className) == 0) return c;
  return nullptr;
}

CObject* CRuntimeClass::CreateObject(const char* className) {
  const CRuntimeClass* c = FromName(className);
  return c ? c->CreateObject() : nullptr;
}
