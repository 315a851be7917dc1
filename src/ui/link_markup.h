#ifndef LITE_UI_LINK_MARKUP_H_
#define LITE_UI_LINK_MARKUP_H_

#include <string>
#include <string_view>
#include <vector>

// Texts with one link written as "((link text))", laid out word by word so
// that the link can become a control of its own inside the wrapped text.
// No Windows headers: the caller measures the segments.
namespace lite {

enum class SegmentKind { kPlain, kLink };

struct MarkupSegment {
  std::wstring text;
  SegmentKind kind;

  bool operator==(const MarkupSegment& other) const {
    return text == other.text && kind == other.kind;
  }
};

// A run of segments of one kind on one line; x is where it starts on its
// line, relative to the line's own left edge.
struct LayoutPiece {
  std::wstring text;
  SegmentKind kind;
  int line;
  int x;
  int width;

  bool operator==(const LayoutPiece& other) const {
    return text == other.text && kind == other.kind && line == other.line && x == other.x &&
           width == other.width;
  }
};

// Plain words carry their trailing spaces; a line feed ends the plain
// segment it is in; an unclosed "((" makes the rest of the text a link.
std::vector<MarkupSegment> TokenizeLinkMarkup(std::wstring_view text);

// True for a plain segment of only spaces, line feeds and punctuation: it
// stays on the line of what precedes it, however wide that line gets.
bool IsGlueSegment(const MarkupSegment& segment);

// Wraps |segments| (with |widths|, one per segment) at |width_limit|.
std::vector<LayoutPiece> LayoutMeasuredSegments(const std::vector<MarkupSegment>& segments,
                                                const std::vector<int>& widths, int width_limit);

// One offset per line (0 .. the last piece's line) that centres the line in
// |width_limit|.
std::vector<int> CenterOffsets(const std::vector<LayoutPiece>& pieces, int width_limit);

// The text as a screen reader should say it: every parenthesis removed,
// which takes the link markers away.
std::wstring RemoveParentheses(std::wstring_view text);

}  // namespace lite

#endif  // LITE_UI_LINK_MARKUP_H_
