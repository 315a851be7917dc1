#ifndef LITE_INSTALL_RUN_MODULE_AND_WAIT_H_
#define LITE_INSTALL_RUN_MODULE_AND_WAIT_H_

#include <cstdint>
#include <string>

namespace lite {

class InstallerObserver;

// Starts the setup without a window and waits for it, however long it
// takes. |exit_code| is 400 unless the setup's code could be read. False
// when the setup did not start, the wait failed, the code is unreadable, or
// the setup exited with 7; the shared error code records a machine type
// mismatch (4) and the exit code 7 (5). |observer| may be null.
bool RunModuleAndWait(const wchar_t* application_name, const std::wstring& command_line,
                      int32_t* exit_code, InstallerObserver* observer);

}  // namespace lite

#endif  // LITE_INSTALL_RUN_MODULE_AND_WAIT_H_
