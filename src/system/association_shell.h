#ifndef LITE_SYSTEM_ASSOCIATION_SHELL_H_
#define LITE_SYSTEM_ASSOCIATION_SHELL_H_

#include <windows.h>
#include <shobjidl.h>

namespace lite {

// The shell's association functions that the interface check needs. The
// functions are looked up at run time, so the installer still starts on
// systems whose shell32 lacks them; a missing one answers
// HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND). Tests substitute fakes.
class AssociationShell {
 public:
  AssociationShell() = default;
  AssociationShell(const AssociationShell&) = delete;
  AssociationShell& operator=(const AssociationShell&) = delete;
  virtual ~AssociationShell();

  // SHCreateAssociationRegistration.
  virtual HRESULT CreateAssociationRegistration(const IID& iid, IUnknown** registration);
  // SHAssocEnumHandlersForProtocolByApplication, asking for IEnumAssocHandlers.
  virtual HRESULT EnumHandlersForProtocol(const wchar_t* protocol, IEnumAssocHandlers** handlers);
  // SHAssocEnumHandlers with ASSOC_FILTER_NONE.
  virtual HRESULT EnumHandlersForExtension(const wchar_t* extension,
                                           IEnumAssocHandlers** handlers);
};

}  // namespace lite

#endif  // LITE_SYSTEM_ASSOCIATION_SHELL_H_
