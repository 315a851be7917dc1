#include "ui/link_markup.h"

#include <algorithm>

namespace lite {
namespace {

constexpr std::wstring_view kLinkOpen = L"((";
constexpr std::wstring_view kLinkClose = L"))";

bool StartsAt(std::wstring_view text, size_t at, std::wstring_view marker) {
  return text.substr(at, marker.size()) == marker;
}

void AddSegment(std::vector<MarkupSegment>* segments, std::wstring_view text, SegmentKind kind) {
  if (!text.empty()) segments->push_back({std::wstring(text), kind});
}

}  // namespace

std::vector<MarkupSegment> TokenizeLinkMarkup(std::wstring_view text) {
  std::vector<MarkupSegment> segments;
  size_t begin = 0;
  bool in_link = false;
  size_t i = 0;
  while (i < text.size()) {
    const wchar_t c = text[i];
    if (in_link) {
      if (StartsAt(text, i, kLinkClose)) {
        AddSegment(&segments, text.substr(begin, i - begin), SegmentKind::kLink);
        i += kLinkClose.size();
        begin = i;
        in_link = false;
        continue;
      }
    } else if (c == L'\n' || c == L'\0') {
      AddSegment(&segments, text.substr(begin, i + 1 - begin), SegmentKind::kPlain);
      begin = i + 1;
    } else if (StartsAt(text, i, kLinkOpen)) {
      AddSegment(&segments, text.substr(begin, i - begin), SegmentKind::kPlain);
      i += kLinkOpen.size();
      begin = i;
      in_link = true;
      continue;
    } else {
      const wchar_t previous = i == 0 ? L'\0' : text[i - 1];
      // A word begins: the one before keeps its trailing spaces.
      if ((previous == L' ' || previous == L'\0') && c != L' ') {
        AddSegment(&segments, text.substr(begin, i - begin), SegmentKind::kPlain);
        begin = i;
      }
    }
    ++i;
  }
  AddSegment(&segments, text.substr(begin), in_link ? SegmentKind::kLink : SegmentKind::kPlain);
  return segments;
}

bool IsGlueSegment(const MarkupSegment& segment) {
  if (segment.kind != SegmentKind::kPlain || segment.text.empty()) return false;
  return segment.text.find_first_not_of(L" \n,.:;?!") == std::wstring::npos;
}

std::vector<LayoutPiece> LayoutMeasuredSegments(const std::vector<MarkupSegment>& segments,
                                                const std::vector<int>& widths, int width_limit) {
  std::vector<LayoutPiece> pieces;
  LayoutPiece run{L"", SegmentKind::kPlain, 0, 0, 0};
  int line = 0;
  int used = 0;  // width of the line's pieces emitted before |run|
  auto emit = [&] {
    if (!run.text.empty()) pieces.push_back(run);
    run.text.clear();
    run.width = 0;
  };
  auto start_run = [&](const MarkupSegment& segment, int width) {
    run = {segment.text, segment.kind, line, used, width};
  };
  for (size_t i = 0; i < segments.size() && i < widths.size(); ++i) {
    const MarkupSegment& segment = segments[i];
    const int width = widths[i];
    const bool after_line_feed = run.text.find(L'\n') != std::wstring::npos;
    if (IsGlueSegment(segment) && !after_line_feed) {
      // Punctuation stays with the word before it, whatever the width.
      used += run.width;
      emit();
      start_run(segment, width);
      continue;
    }
    // A word wider than the limit on a line of its own stays there: moving
    // it down would only leave an empty line above it.
    const bool line_has_content = used > 0 || !run.text.empty();
    if (after_line_feed || (line_has_content && used + run.width + width > width_limit)) {
      emit();
      ++line;
      used = 0;
    }
    if (run.text.empty()) {
      start_run(segment, width);
    } else if (run.kind == segment.kind) {
      run.text += segment.text;
      run.width += width;
    } else {
      used += run.width;
      emit();
      start_run(segment, width);
    }
  }
  emit();
  return pieces;
}

std::vector<int> CenterOffsets(const std::vector<LayoutPiece>& pieces, int width_limit) {
  int lines = 0;
  for (const LayoutPiece& piece : pieces) lines = std::max(lines, piece.line + 1);
  std::vector<int> used(lines, 0);
  for (const LayoutPiece& piece : pieces) used[piece.line] += piece.width;
  std::vector<int> offsets(lines);
  for (int line = 0; line < lines; ++line) offsets[line] = (width_limit - used[line]) / 2;
  return offsets;
}

std::wstring RemoveParentheses(std::wstring_view text) {
  std::wstring result;
  for (wchar_t c : text) {
    if (c != L'(' && c != L')') result += c;
  }
  return result;
}

}  // namespace lite
