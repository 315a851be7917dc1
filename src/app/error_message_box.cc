#include "app/error_message_box.h"

#include <windows.h>

#include "ui/resource_strings.h"

namespace lite {

std::wstring ErrorMessageBoxText(uint32_t language_id, int string_id) {
  return LoadUiString(kIdsCouldNotInstall, language_id) + L"\n" +
         LoadUiString(string_id, language_id);
}

void ShowErrorMessageBox(uint32_t language_id, int string_id) {
  const std::wstring caption = LoadUiString(kIdsInstallationCaption, language_id);
  ::MessageBoxW(nullptr, ErrorMessageBoxText(language_id, string_id).c_str(), caption.c_str(), MB_OK);
}

}  // namespace lite
