#include "ui/link_markup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/string_conversion.h"

namespace lite {
namespace {

constexpr SegmentKind P = SegmentKind::kPlain;
constexpr SegmentKind L = SegmentKind::kLink;

const wchar_t kLicenceNote[] =
    L"By using Zelmar Browser, you agree to the terms and conditions of the "
    L"((License Agreement)).";

std::string Describe(const std::vector<MarkupSegment>& segments) {
  std::string text;
  for (const MarkupSegment& s : segments) {
    text += (s.kind == L ? "L[" : "P[") + WideToUTF8(s.text) + "]";
  }
  return text;
}

TEST(TokenizeLinkMarkupTest, Table) {
  struct Case {
    const wchar_t* text;
    const char* segments;
  } cases[] = {
      {L"", ""},
      {L"word", "P[word]"},
      {L"two  words ", "P[two  ]P[words ]"},
      // Leading spaces are a segment of their own.
      {L"  lead", "P[  ]P[lead]"},
      {kLicenceNote,
       "P[By ]P[using ]P[Zelmar ]P[Browser, ]P[you ]P[agree ]P[to ]P[the ]P[terms ]P[and ]"
       "P[conditions ]P[of ]P[the ]L[License Agreement]P[.]"},
      {L"((link)) after", "L[link]P[ ]P[after]"},
      {L"before((link))", "P[before]L[link]"},
      // Without its closing marker the link runs to the end.
      {L"see ((the rest of it", "P[see ]L[the rest of it]"},
      {L"((a))((b))", "L[a]L[b]"},
      // An empty link is no segment.
      {L"(())", ""},
      // A line feed ends the segment it is in, inside a word too.
      {L"one\ntwo", "P[one\n]P[two]"},
      {L"one \n\ntwo", "P[one \n]P[\n]P[two]"},
      // Line feeds inside a link belong to it.
      {L"((a\nb))", "L[a\nb]"},
      // A single parenthesis is text.
      {L"a (b) c", "P[a ]P[(b) ]P[c]"},
      {L"a ))b", "P[a ]P[))b]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUTF8(c.text));
    EXPECT_EQ(Describe(TokenizeLinkMarkup(c.text)), c.segments);
  }
}

TEST(IsGlueSegmentTest, Table) {
  struct Case {
    MarkupSegment segment;
    bool glue;
  } cases[] = {
      {{L".", P}, true},       {{L", ", P}, true},    {{L"?!:;", P}, true},
      {{L"\n", P}, true},      {{L"  ", P}, true},    {{L"a.", P}, false},
      {{L".", L}, false},      {{L"", P}, false},     {{L"-", P}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsGlueSegment(c.segment), c.glue) << WideToUTF8(c.segment.text);
  }
}

struct LayoutCase {
  const char* name;
  std::vector<MarkupSegment> segments;
  std::vector<int> widths;
  int limit;
  std::vector<LayoutPiece> pieces;
};

TEST(LayoutMeasuredSegmentsTest, Table) {
  const LayoutCase cases[] = {
      {"words fill a line, then wrap",
       {{L"aa ", P}, {L"bb ", P}, {L"cc", P}},
       {30, 30, 20},
       70,
       {{L"aa bb ", P, 0, 0, 60}, {L"cc", P, 1, 0, 20}}},
      {"exactly the limit still fits",
       {{L"aa ", P}, {L"bb", P}},
       {30, 40},
       70,
       {{L"aa bb", P, 0, 0, 70}}},
      {"a change of kind starts a piece where the last one ended",
       {{L"the ", P}, {L"link", L}, {L" more", P}},
       {40, 40, 50},
       200,
       {{L"the ", P, 0, 0, 40}, {L"link", L, 0, 40, 40}, {L" more", P, 0, 80, 50}}},
      {"glue stays on the link's line past the limit",
       {{L"the ", P}, {L"link", L}, {L".", P}},
       {40, 40, 5},
       80,
       {{L"the ", P, 0, 0, 40}, {L"link", L, 0, 40, 40}, {L".", P, 0, 80, 5}}},
      {"a link that does not fit moves to the next line",
       {{L"some ", P}, {L"text ", P}, {L"link", L}, {L".", P}},
       {50, 50, 40, 5},
       120,
       {{L"some text ", P, 0, 0, 100}, {L"link", L, 1, 0, 40}, {L".", P, 1, 40, 5}}},
      {"a word after glue joins the glue's piece",
       {{L"a", P}, {L", ", P}, {L"b", P}},
       {10, 8, 10},
       100,
       {{L"a", P, 0, 0, 10}, {L", b", P, 0, 10, 18}}},
      {"a line feed ends the line",
       {{L"one\n", P}, {L"two", P}},
       {30, 30},
       500,
       {{L"one\n", P, 0, 0, 30}, {L"two", P, 1, 0, 30}}},
      {"punctuation after a line feed goes to the next line",
       {{L"one\n", P}, {L".", P}},
       {30, 5},
       500,
       {{L"one\n", P, 0, 0, 30}, {L".", P, 1, 0, 5}}},
      {"a word wider than the limit keeps the first line",
       {{L"enormous ", P}, {L"next", P}},
       {300, 40},
       100,
       {{L"enormous ", P, 0, 0, 300}, {L"next", P, 1, 0, 40}}},
      {"a word wider than the limit after others gets a line of its own",
       {{L"a ", P}, {L"enormous ", P}, {L"b", P}},
       {20, 300, 10},
       100,
       {{L"a ", P, 0, 0, 20}, {L"enormous ", P, 1, 0, 300}, {L"b", P, 2, 0, 10}}},
      {"nothing in, nothing out", {}, {}, 100, {}},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LayoutMeasuredSegments(c.segments, c.widths, c.limit), c.pieces);
  }
}

TEST(CenterOffsetsTest, OneOffsetPerLineFromItsPieces) {
  const std::vector<LayoutPiece> pieces = {
      {L"a", P, 0, 0, 40}, {L"b", L, 0, 40, 21}, {L"c", P, 1, 0, 100}, {L"d", P, 2, 0, 120}};
  // (100 - 61) / 2 rounds down; a line wider than the limit goes left.
  EXPECT_EQ(CenterOffsets(pieces, 100), (std::vector<int>{19, 0, -10}));
  EXPECT_TRUE(CenterOffsets({}, 100).empty());
}

TEST(RemoveParenthesesTest, DropsEveryParenthesis) {
  EXPECT_EQ(RemoveParentheses(kLicenceNote),
            L"By using Zelmar Browser, you agree to the terms and conditions of the "
            L"License Agreement.");
  EXPECT_EQ(RemoveParentheses(L"(a) ((b c"), L"a b c");
}

}  // namespace
}  // namespace lite
