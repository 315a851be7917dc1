#include "system/association_shell.h"

namespace lite {
namespace {

using CreateAssociationRegistrationFn = HRESULT(WINAPI*)(REFIID, void**);
using EnumHandlersForProtocolFn = HRESULT(WINAPI*)(PCWSTR, REFIID, void**);
using EnumHandlersFn = HRESULT(WINAPI*)(PCWSTR, ASSOC_FILTER, IEnumAssocHandlers**);

// {973810AE-9599-4B88-9E4D-6EE98C9552DA}
constexpr IID kIEnumAssocHandlers = {
    0x973810ae, 0x9599, 0x4b88, {0x9e, 0x4d, 0x6e, 0xe9, 0x8c, 0x95, 0x52, 0xda}};

const HRESULT kProcNotFound = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);

// shell32 stays loaded for the life of the process: the objects it hands
// out run its code.
FARPROC Shell32Proc(const char* name) {
  static HMODULE shell32 = [] {
    HMODULE module = ::GetModuleHandleW(L"shell32.dll");
    return module ? module : ::LoadLibraryW(L"shell32.dll");
  }();
  return shell32 ? ::GetProcAddress(shell32, name) : nullptr;
}

template <typename Fn>
Fn LookUp(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(Shell32Proc(name)));
}

}  // namespace

AssociationShell::~AssociationShell() = default;

HRESULT AssociationShell::CreateAssociationRegistration(const IID& iid, IUnknown** registration) {
  *registration = nullptr;
  static const auto create =
      LookUp<CreateAssociationRegistrationFn>("SHCreateAssociationRegistration");
  if (!create) return kProcNotFound;
  return create(iid, reinterpret_cast<void**>(registration));
}

HRESULT AssociationShell::EnumHandlersForProtocol(const wchar_t* protocol,
                                                  IEnumAssocHandlers** handlers) {
  *handlers = nullptr;
  static const auto enum_handlers =
      LookUp<EnumHandlersForProtocolFn>("SHAssocEnumHandlersForProtocolByApplication");
  if (!enum_handlers) return kProcNotFound;
  return enum_handlers(protocol, kIEnumAssocHandlers, reinterpret_cast<void**>(handlers));
}

HRESULT AssociationShell::EnumHandlersForExtension(const wchar_t* extension,
                                                   IEnumAssocHandlers** handlers) {
  *handlers = nullptr;
  static const auto enum_handlers = LookUp<EnumHandlersFn>("SHAssocEnumHandlers");
  if (!enum_handlers) return kProcNotFound;
  return enum_handlers(extension, ASSOC_FILTER_NONE, handlers);
}

}  // namespace lite
