#pragma once
// The automation object of one simulated browser window: IWebBrowser2 (and so
// IWebBrowserApp, IWebBrowser, IDispatch) with the properties a client reads, and
// IConnectionPointContainer with the DWebBrowserEvents2 connection point. Requests that
// would make a real browser act (Navigate2, Quit) are handed to the simulator's command
// queue, so they run later from its message loop, never inside the incoming call.
#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <functional>
#include <string>

#include "sim/ComObject.h"
#include "sim/ComStubs.h"
#include "sim/EventConnectionPoint.h"

namespace sim {

class SimBrowser final
    : public ComObject<SimBrowser, WithoutTypeInfo<NotImplIWebBrowser2>, IConnectionPointContainer> {
 public:
  static const Entry kInterfaces[];

  using CommandQueue = std::function<void(const std::string& command)>;
  // What the object stands for: a browser application window (the shell lists it), a
  // browser control embedded in another program's window, or a frame of a page. Only an
  // application has a window handle of its own and quits; a frame is no top-level container.
  enum class Role { kApplication, kControl, kFrame };

  SimBrowser(const std::string& id, CommandQueue queue);

  void SetRole(Role role) { m_role = role; }
  Role GetRole() const { return m_role; }

  const std::string& Id() const { return m_id; }
  void SetWindow(HWND window) { m_window = window; }
  HWND Window() const { return m_window; }
  void SetDocument(IDispatch* document) { m_document = document; }
  IDispatch* Document() const { return m_document.Get(); }
  void SetLocation(const std::wstring& name, const std::wstring& url) {
    m_locationName = name;
    m_locationUrl = url;
  }
  const std::wstring& LocationName() const { return m_locationName; }
  const std::wstring& LocationUrl() const { return m_locationUrl; }
  EventConnectionPoint* ConnectionPoint() const { return m_connectionPoint.Get(); }
  // Closed: drops the sinks and the document; the object stays valid for late callers.
  void Close();

  // IWebBrowser
  HRESULT STDMETHODCALLTYPE Navigate(BSTR url, VARIANT* flags, VARIANT* frame, VARIANT* post, VARIANT* headers) override;
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE get_Application(IDispatch** application) override;
  HRESULT STDMETHODCALLTYPE get_Parent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_Document(IDispatch** document) override;
  HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL* topLevel) override;
  HRESULT STDMETHODCALLTYPE get_Type(BSTR* type) override;
  HRESULT STDMETHODCALLTYPE get_LocationName(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* url) override;
  HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL* busy) override;
  // IWebBrowserApp
  HRESULT STDMETHODCALLTYPE Quit() override;
  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR* window) override;
  HRESULT STDMETHODCALLTYPE get_FullName(BSTR* path) override;
  HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* visible) override;
  HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL visible) override;
  // IWebBrowser2
  HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* url, VARIANT* flags, VARIANT* frame, VARIANT* post, VARIANT* headers) override;
  HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE* state) override;
  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

 private:
  ~SimBrowser();

  std::string m_id;
  CommandQueue m_queue;
  Role m_role = Role::kApplication;
  HWND m_window = nullptr;
  Microsoft::WRL::ComPtr<IDispatch> m_document;
  Microsoft::WRL::ComPtr<EventConnectionPoint> m_connectionPoint;
  std::wstring m_locationName;
  std::wstring m_locationUrl;
};

}  // namespace sim
