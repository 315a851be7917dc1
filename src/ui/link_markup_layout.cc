#include "ui/link_markup_layout.h"

#include "base/scoped_gdi.h"
#include "ui/text_metrics.h"

namespace lite {
namespace {

std::vector<LayoutPiece> LayoutText(HDC dc, const std::wstring& text, HFONT font, int width) {
  return LayoutSegments(TokenizeLinkMarkup(text), font, dc, width);
}

}  // namespace

std::vector<LayoutPiece> LayoutSegments(const std::vector<MarkupSegment>& segments, HFONT font,
                                        HDC dc, int width_limit) {
  std::vector<int> widths;
  widths.reserve(segments.size());
  {
    ScopedSelectObject select(dc, font);
    for (const MarkupSegment& segment : segments) {
      SIZE size = {0, 0};
      ::GetTextExtentPoint32W(dc, segment.text.c_str(), static_cast<int>(segment.text.size()),
                              &size);
      widths.push_back(size.cx);
    }
  }
  return LayoutMeasuredSegments(segments, widths, width_limit);
}

void DrawWrappedCentered(HDC dc, const RECT& rect, const std::wstring& text, HFONT font,
                         double line_spacing) {
  const int width = rect.right - rect.left;
  const int line_height = static_cast<int>(LineHeight(font) * line_spacing);
  const std::vector<LayoutPiece> pieces = LayoutText(dc, text, font, width);
  const std::vector<int> offsets = CenterOffsets(pieces, width);
  ScopedSelectObject select(dc, font);
  for (const LayoutPiece& piece : pieces) {
    RECT box;
    box.left = rect.left + offsets[piece.line] + piece.x;
    box.top = rect.top + piece.line * line_height;
    box.right = box.left + piece.width;
    box.bottom = box.top + line_height;
    ::DrawTextW(dc, piece.text.c_str(), -1, &box, DT_WORDBREAK | DT_CENTER);
  }
}

std::vector<HWND> CreateNoteControls(HWND parent, const RECT& rect, const std::wstring& text,
                                     HFONT font, int line_height, bool centred, int text_id,
                                     int link_id) {
  std::vector<HWND> windows;
  const int width = rect.right - rect.left;
  std::vector<LayoutPiece> pieces;
  {
    ScopedGetDc dc(parent);
    if (!dc.get()) return windows;
    pieces = LayoutText(dc.get(), text, font, width);
  }
  std::vector<int> offsets = CenterOffsets(pieces, width);
  if (!centred) offsets.assign(offsets.size(), 0);
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  for (const LayoutPiece& piece : pieces) {
    const bool link = piece.kind == SegmentKind::kLink;
    const DWORD style = link ? WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW
                             : WS_CHILD | WS_VISIBLE | SS_OWNERDRAW;
    const int id = link ? link_id : text_id;
    HWND window = ::CreateWindowExW(
        0, link ? L"Button" : L"Static", piece.text.c_str(), style,
        rect.left + offsets[piece.line] + piece.x, rect.top + piece.line * line_height,
        piece.width, line_height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (window) windows.push_back(window);
  }
  return windows;
}

}  // namespace lite
