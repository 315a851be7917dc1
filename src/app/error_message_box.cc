#include "app/error_message_box.h"

#include <windows.h>

#include "ui/resource_strings.h"

namespace lite {

std::wstring ErrorMessageBoxText(const std::string& language, int string_id) {
  return LoadResourceString(language, kIdsCouldNotInstall) + L"\n" +
         LoadResourceString(language, string_id);
}

void ShowErrorMessageBox(const std::string& language, int string_id) {
  const std::wstring caption = LoadResourceString(language, kIdsInstallationCaption);
  ::MessageBoxW(nullptr, ErrorMessageBoxText(language, string_id).c_str(), caption.c_str(), MB_OK);
}

}  // namespace lite
