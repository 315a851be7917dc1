#ifndef LITE_UI_MAIN_WINDOW_SHADOW_H_
#define LITE_UI_MAIN_WINDOW_SHADOW_H_

#include <windows.h>

#include <array>

#include "ui/shadow_geometry.h"

namespace lite {

// Shows the soft shadow around the main window at its current rectangle:
// a layered popup owned by |window|, so that it stays with it and goes with
// it. Called once, after the window has its size and place. Returns the
// popup, or null when it cannot be made.
HWND CreateMainWindowShadow(HWND window);

// Draws each piece's image stretched into its rectangle; a piece whose
// image does not load is left out.
void DrawShadowPieces(HDC dc, const std::array<ShadowPiece, 8>& pieces);

}  // namespace lite

#endif  // LITE_UI_MAIN_WINDOW_SHADOW_H_
