#ifndef LITE_SYSTEM_INTERNAL_INTERFACE_H_
#define LITE_SYSTEM_INTERNAL_INTERFACE_H_

namespace lite {

class AssociationShell;

// Whether the shell's internal application-association interface of this
// Windows build can be reached and would let the browser become the
// default for web links and pages. Runs only in the "check-the-interface"
// child process, before COM is initialised there.
bool IsInternalInterfaceAvailable();

// The same decision made through |shell|'s functions.
bool IsInternalInterfaceAvailable(AssociationShell& shell);

}  // namespace lite

#endif  // LITE_SYSTEM_INTERNAL_INTERFACE_H_
