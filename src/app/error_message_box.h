#ifndef LITE_APP_ERROR_MESSAGE_BOX_H_
#define LITE_APP_ERROR_MESSAGE_BOX_H_

#include <cstdint>
#include <string>

namespace lite {

inline constexpr int kIdsInstallationCaption = 444;
inline constexpr int kIdsCouldNotInstall = 445;

// The text of the error message box: string 445, a line feed, then the
// given string, all in the language |language_id|.
std::wstring ErrorMessageBoxText(uint32_t language_id, int string_id);

// An owner-less MB_OK box captioned with string 444.
void ShowErrorMessageBox(uint32_t language_id, int string_id);

}  // namespace lite

#endif  // LITE_APP_ERROR_MESSAGE_BOX_H_
