#ifndef LITE_UI_WINDOW_ICONS_H_
#define LITE_UI_WINDOW_ICONS_H_

#include <windows.h>

namespace lite {

// Gives |window| the executable's icon group |icon_id| at the system's
// large and small icon sizes (caption, task switcher, taskbar).
void SetWindowIcons(HWND window, int icon_id);

}  // namespace lite

#endif  // LITE_UI_WINDOW_ICONS_H_
