#include "ui/window_icons.h"

namespace lite {
namespace {

HICON LoadIconOfSize(int icon_id, int width, int height) {
  return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(icon_id),
                                         IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
}

}  // namespace

void SetWindowIcons(HWND window, int icon_id) {
  // The window keeps using the icons as long as it lives: they are not
  // destroyed here.
  const HICON big = LoadIconOfSize(icon_id, ::GetSystemMetrics(SM_CXICON),
                                   ::GetSystemMetrics(SM_CYICON));
  ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  const HICON small_icon = LoadIconOfSize(icon_id, ::GetSystemMetrics(SM_CXSMICON),
                                     ::GetSystemMetrics(SM_CYSMICON));
  ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon));
}

}  // namespace lite
