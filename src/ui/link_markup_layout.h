#ifndef LITE_UI_LINK_MARKUP_LAYOUT_H_
#define LITE_UI_LINK_MARKUP_LAYOUT_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ui/link_markup.h"

namespace lite {

// Measures each segment with |font| on |dc| and wraps them at |width_limit|.
std::vector<LayoutPiece> LayoutSegments(const std::vector<MarkupSegment>& segments, HFONT font,
                                        HDC dc, int width_limit);

// Draws |text| (link markup allowed, drawn as plain text) wrapped and
// centred in |rect| with the font selected into |dc|; lines are
// LineHeight(font) * line_spacing apart.
void DrawWrappedCentered(HDC dc, const RECT& rect, const std::wstring& text, HFONT font,
                         double line_spacing);

// Makes a child window of |parent| for each piece of |text| laid out in
// |rect|: owner-drawn statics with |text_id| for the plain pieces and one
// owner-drawn, tab-stop button with |link_id| for the link. Lines are
// |line_height| apart. Returns the windows in layout order.
std::vector<HWND> CreateNoteControls(HWND parent, const RECT& rect, const std::wstring& text,
                                     HFONT font, int line_height, bool centred, int text_id,
                                     int link_id);

}  // namespace lite

#endif  // LITE_UI_LINK_MARKUP_LAYOUT_H_
