#include "system/internal_interface.h"

#include <windows.h>
#include <shobjidl.h>

#include <string>

#include "base/debug_log.h"
#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "system/association_shell.h"
#include "system/platform_queries.h"

namespace lite {
namespace {

// Kind 0: obtaining the interface is enough. Kind 1: it must also offer
// ISetAppAsDefaultBrowserInternal and the web handlers must be usable.
struct InternalInterfaceRow {
  IID iid;
  int kind;
};

// The identifier of IApplicationAssociationRegistrationInternal differs
// between Windows builds; tried in this order.
constexpr InternalInterfaceRow InternalInterfaceTable[] = {
    {{0x2a848e25, 0xd688, 0x4aa3, {0x8e, 0x55, 0x0c, 0x16, 0xcb, 0x3a, 0x2d, 0xfb}}, 1},
    {{0xfc0be3a5, 0x6be4, 0x423c, {0xb2, 0x87, 0x24, 0x89, 0x34, 0xe3, 0x79, 0xc7}}, 1},
    {{0x14ebcc88, 0x2831, 0x4fc8, {0xa5, 0xdf, 0x9f, 0x36, 0xa8, 0x1d, 0xb1, 0x2c}}, 0},
    {{0x1c5c9d10, 0x1225, 0x4c97, {0x8c, 0x51, 0x98, 0xe1, 0xb6, 0xf0, 0xd4, 0xe0}}, 0},
    {{0x229d59e2, 0xf94a, 0x402e, {0x9a, 0x9f, 0x3b, 0x84, 0xa1, 0xac, 0xed, 0x77}}, 0},
};

// {B00DC47B-BFF4-4318-BE5B-A5856F9169A2}
constexpr IID kISetAppAsDefaultBrowserInternal = {
    0xb00dc47b, 0xbff4, 0x4318, {0xbe, 0x5b, 0xa5, 0x85, 0x6f, 0x91, 0x69, 0xa2}};
// {CA635855-B44E-4541-9591-9FAA53354A53}
constexpr IID kIAssocHandlerMakeDefault = {
    0xca635855, 0xb44e, 0x4541, {0x95, 0x91, 0x9f, 0xaa, 0x53, 0x35, 0x4a, 0x53}};

constexpr const wchar_t* kProtocols[] = {L"http", L"https"};
constexpr const wchar_t* kExtensions[] = {L".htm", L".html"};

std::string HrText(HRESULT hr) {
  return std::to_string(static_cast<long>(hr));
}

std::string VersionText(const WindowsVersion& version) {
  return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
         std::to_string(version.build) + "." + std::to_string(version.revision);
}

// Passes when the first handler whose display name can be read also offers
// IAssocHandlerMakeDefault.
bool HasHandlerThatCanBeMadeDefault(IEnumAssocHandlers* handlers) {
  for (;;) {
    ScopedComPtr<IAssocHandler> handler;
    ULONG fetched = 0;
    HRESULT hr = handlers->Next(1, handler.receive(), &fetched);
    if (hr != S_OK || !handler) {
      DebugLog("IEnumAssocHandlers::Next error, hr=" + HrText(hr) + ", failed to find ");
      return false;
    }
    wchar_t* ui_name = nullptr;
    hr = handler->GetUIName(&ui_name);
    if (FAILED(hr)) {
      DebugLog("IAssocHandler::GetUIName error, hr=" + HrText(hr) + ", failed to find ");
      continue;
    }
    ::CoTaskMemFree(ui_name);

    ScopedComPtr<IUnknown> make_default;
    hr = handler->QueryInterface(kIAssocHandlerMakeDefault, make_default.receive_void());
    if (FAILED(hr) || !make_default) {
      DebugLog("QueryInterface(IAssocHandlerMakeDefault) error, hr=" + HrText(hr));
      return false;
    }
    return true;
  }
}

bool CheckProtocol(AssociationShell& shell, const wchar_t* protocol) {
  ScopedComPtr<IEnumAssocHandlers> handlers;
  const HRESULT hr = shell.EnumHandlersForProtocol(protocol, handlers.receive());
  if (FAILED(hr) || !handlers) {
    DebugLog("SHAssocEnumHandlersForProtocolByApplication error, hr=" + HrText(hr) +
             " protocol=" + WideToUTF8(protocol));
    return false;
  }
  return HasHandlerThatCanBeMadeDefault(handlers.get());
}

bool CheckExtension(AssociationShell& shell, const wchar_t* extension) {
  ScopedComPtr<IEnumAssocHandlers> handlers;
  const HRESULT hr = shell.EnumHandlersForExtension(extension, handlers.receive());
  if (FAILED(hr) || !handlers) {
    DebugLog("SHAssocEnumHandlers error, hr=" + HrText(hr) + " extension=" +
             WideToUTF8(extension));
    return false;
  }
  return HasHandlerThatCanBeMadeDefault(handlers.get());
}

}  // namespace

bool IsInternalInterfaceAvailable(AssociationShell& shell) {
  ScopedComPtr<IUnknown> registration;
  int kind = -1;
  for (const InternalInterfaceRow& row : InternalInterfaceTable) {
    if (SUCCEEDED(shell.CreateAssociationRegistration(row.iid, registration.receive())) &&
        registration) {
      kind = row.kind;
      break;
    }
  }
  if (kind < 0) {
    DebugLog("Unsupported Win10 version=" + VersionText(Platform().GetWindowsVersion()));
    return false;
  }
  if (kind == 0) return true;

  ScopedComPtr<IUnknown> set_default_browser;
  const HRESULT hr = registration->QueryInterface(kISetAppAsDefaultBrowserInternal,
                                                  set_default_browser.receive_void());
  if (FAILED(hr) || !set_default_browser) {
    DebugLog("QueryInterface(ISetAppAsDefaultBrowserInternal) error, hr=" + HrText(hr));
    return false;
  }
  for (const wchar_t* protocol : kProtocols) {
    if (!CheckProtocol(shell, protocol)) return false;
  }
  for (const wchar_t* extension : kExtensions) {
    if (!CheckExtension(shell, extension)) return false;
  }
  return true;
}

bool IsInternalInterfaceAvailable() {
  AssociationShell shell;
  return IsInternalInterfaceAvailable(shell);
}

}  // namespace lite
