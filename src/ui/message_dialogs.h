#ifndef LITE_UI_MESSAGE_DIALOGS_H_
#define LITE_UI_MESSAGE_DIALOGS_H_

#include <windows.h>

#include <cstdint>
#include <string>

namespace lite {

// Shows, modally over the active window, the dialog that ends an
// installation that failed with |failure_type| (an InstallFailureType):
// the CryptoPro advice (3), the machine-type (4) or already-installed (5)
// message, or for any other failure the offer of |download_address|, the
// download page. Returns the EndDialog value; 0 without a dialog for type 0.
INT_PTR RunInstallFailureDialog(int failure_type, uint32_t language_id,
                                const std::string& download_address);

// The setup found a newer browser installed.
INT_PTR RunNewerVersionNotice(uint32_t language_id);

// Too little free disk space for the browser, before any window exists.
INT_PTR RunNotEnoughDiskSpaceNotice(uint32_t language_id);

}  // namespace lite

#endif  // LITE_UI_MESSAGE_DIALOGS_H_
