// The faces the window names must resolve, in the tests' Wine prefixes, to
// the fonts mapped for them (scripts/wine_fonts.reg): otherwise Wine falls
// back to a face of other widths and every measured layout is off.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/scoped_gdi.h"
#include "base/scoped_generic.h"

namespace lite {
namespace {

struct FontTraits {
  static HFONT InvalidValue() { return nullptr; }
  static bool IsValid(HFONT font) { return font != nullptr; }
  static void Free(HFONT font) { ::DeleteObject(font); }
};
struct MemoryDcTraits {
  static HDC InvalidValue() { return nullptr; }
  static bool IsValid(HDC dc) { return dc != nullptr; }
  static void Free(HDC dc) { ::DeleteDC(dc); }
};

// The family name (name id 1, Windows platform) in the naming table of the
// font file selected into |dc|: which file the face resolved to.
std::wstring FontFileFamily(HDC dc) {
  const DWORD kNameTag = 0x656D616E;  // "name", as GetFontData wants it
  const DWORD size = ::GetFontData(dc, kNameTag, 0, nullptr, 0);
  if (size == GDI_ERROR || size < 6) return L"";
  std::vector<unsigned char> table(size);
  if (::GetFontData(dc, kNameTag, 0, table.data(), size) != size) return L"";
  auto word = [&table](size_t at) -> unsigned {
    return at + 2 <= table.size() ? (table[at] << 8) | table[at + 1] : 0;
  };
  const unsigned count = word(2), strings = word(4);
  for (unsigned i = 0; i < count; ++i) {
    const size_t record = 6 + 12 * i;
    if (word(record) != 3 || word(record + 6) != 1) continue;
    const unsigned length = word(record + 8), offset = word(record + 10);
    std::wstring family;
    for (unsigned c = 0; c + 1 < length; c += 2)
      family += static_cast<wchar_t>(word(strings + offset + c));
    return family;
  }
  return L"";
}

TEST(WindowFontsTest, FacesResolveToTheirMappedFonts) {
  struct Case {
    const wchar_t* face;
    int pixels;
    const wchar_t* family;
    int ascent;  // 0: not a metric clone, nothing to compare
    int descent;
  };
  // Arial's own figures at these sizes: its clone must give the same.
  const Case cases[] = {
      {L"Arial", 12, L"Liberation Sans", 11, 3},
      {L"Arial", 32, L"Liberation Sans", 29, 7},
      {L"SegoeUI", 15, L"Open Sans", 0, 0},
  };
  ScopedGeneric<HDC, MemoryDcTraits> dc(::CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pixels << " px " << std::string(c.face, c.face + wcslen(c.face)));
    // As the window creates its fonts: character height, weight 400, the
    // defaults for everything else.
    ScopedGeneric<HFONT, FontTraits> font(::CreateFontW(
        -c.pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, c.face));
    ASSERT_TRUE(font);
    HGDIOBJ previous = ::SelectObject(dc.get(), font.get());
    wchar_t face[LF_FACESIZE] = {};
    EXPECT_GT(::GetTextFaceW(dc.get(), LF_FACESIZE, face), 0);
    EXPECT_STREQ(face, c.face);
    EXPECT_EQ(FontFileFamily(dc.get()), c.family);
    TEXTMETRICW metrics = {};
    ASSERT_TRUE(::GetTextMetricsW(dc.get(), &metrics));
    if (c.ascent) {
      EXPECT_EQ(metrics.tmAscent, c.ascent);
      EXPECT_EQ(metrics.tmDescent, c.descent);
    }
    ::SelectObject(dc.get(), previous);
  }
}


// The pixels |text| gives in |face| at 16 pixels, black on white.
std::vector<bool> Rendered(const wchar_t* face, const std::wstring& text) {
  constexpr int kSize = 40;
  ScopedGeneric<HDC, MemoryDcTraits> dc(::CreateCompatibleDC(nullptr));
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), kSize, -kSize, 1, 32, BI_RGB};
  void* bits = nullptr;
  ScopedGeneric<HBITMAP, GdiObjectTraits<HBITMAP>> bitmap(
      ::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ScopedGeneric<HFONT, FontTraits> font(::CreateFontW(
      -16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
      CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
  std::vector<bool> pixels;
  if (!bitmap || !font || !bits) return pixels;
  const HGDIOBJ previous_bitmap = ::SelectObject(dc.get(), bitmap.get());
  const HGDIOBJ previous_font = ::SelectObject(dc.get(), font.get());
  RECT all = {0, 0, kSize, kSize};
  ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  ::SetTextColor(dc.get(), RGB(0, 0, 0));
  ::SetBkMode(dc.get(), TRANSPARENT);
  ::TextOutW(dc.get(), 4, 4, text.c_str(), static_cast<int>(text.size()));
  ::GdiFlush();
  const auto* argb = static_cast<const DWORD*>(bits);
  for (int i = 0; i < kSize * kSize; ++i) pixels.push_back((argb[i] & 0xFFFFFF) != 0xFFFFFF);
  ::SelectObject(dc.get(), previous_font);
  ::SelectObject(dc.get(), previous_bitmap);
  return pixels;
}

// Japanese and Chinese texts in the window's faces: the faces have no such
// glyphs, so they come from the fonts linked to them (wine_fonts.reg), not
// as the missing-glyph box, which is the same for every character.
TEST(WindowFontsTest, FacesShowChineseAndJapaneseThroughTheirLinks) {
  for (const wchar_t* face : {L"Arial", L"SegoeUI"}) {
    SCOPED_TRACE(std::string(face, face + wcslen(face)));
    const std::vector<bool> missing = Rendered(face, L"\uE000");
    std::vector<std::vector<bool>> seen;
    // Kana, a character both scripts share, a simplified and a traditional one.
    for (const wchar_t* text : {L"\u30A2", L"\u3042", L"\u5B89", L"\u88C5", L"\u88DD"}) {
      const std::vector<bool> pixels = Rendered(face, text);
      ASSERT_FALSE(pixels.empty());
      EXPECT_NE(pixels, missing) << "U+" << std::hex << static_cast<int>(text[0]);
      for (const auto& other : seen) EXPECT_NE(pixels, other) << std::hex << static_cast<int>(text[0]);
      seen.push_back(pixels);
    }
  }
}

}  // namespace
}  // namespace lite
