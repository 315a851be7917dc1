#include "ui/resource_strings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>

#include "base/string_conversion.h"
#include "config/language_table.h"
#include "ui/ui_test_support.h"

namespace lite {
namespace {

constexpr uint32_t kEnglish = 1033;

// The strings that name the product with a no-break space, and the name.
struct KeptTogether {
  int id;
  const wchar_t* name;
};
const KeptTogether kKeptTogether[] = {
    {419, L"Zelmar\u00a0Browser"}, {420, L"Zelmar\u00a0Browser"}, {430, L"Zelmar\u00a0Browser"},
    {435, L"Zelmar\u00a0Browser"}, {437, L"Zelmar\u00a0Browser"}, {438, L"Zelmar\u00a0Browser"},
    {440, L"Zelmar\u00a0Browser"}, {444, L"Zelmar\u00a0Browser"}, {445, L"Zelmar\u00a0Browser"},
    {448, L"Zelmar\u00a0Mail"},    {449, L"Zelmar\u00a0Browser"}, {450, L"Zelmar\u00a0Browser"},
};

// Names no table translates.
const wchar_t* const kNames[] = {L"Zelmar", L"Mirra", L"Guardia", L"CryptoPro Revocation Provider",
                                 L"SSE2", L"SSE3", L"Program Files", L"Windows XP", L"600"};

// The slide text (407) is laid out at spaces and line breaks only: the
// languages written without spaces break it themselves.
constexpr int kSlideBody = 407;

bool IsInTable(int id) { return id >= 400 && id <= 453 && id != 441; }

size_t Count(const std::wstring& text, const std::wstring& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

// The printf-style placeholders of a text, in order ("%i", "%s", "%1$d", ...).
std::wstring Placeholders(const std::wstring& text) {
  static const std::wregex placeholder(L"%[-+ #0-9.$]*[a-zA-Z]|%%");
  std::wstring found;
  for (std::wsregex_iterator it(text.begin(), text.end(), placeholder), end; it != end; ++it) {
    found += it->str() + L" ";
  }
  return found;
}

TEST(LoadUiStringTest, EnglishTable) {
  struct Case {
    int id;
    const wchar_t* text;
  } cases[] = {
      {400, L"Zelmar"},
      {405, L"Install"},
      {413, L"&Set as default browser"},
      {417, L"Privacy policy"},
      {420, L"Your computer has an old version\nof CryptoPro Revocation Provider installed.\n"
            L"Please update it\nto install Zelmar\u00a0Browser."},
      // No-break space inside the product name; the link markup kept as is.
      {430, L"By using Zelmar\u00a0Browser, you agree to the terms and conditions of the "
            L"((License Agreement))."},
      {438, L"Not enough disk space\nto install Zelmar\u00a0Browser"},
      // Only the first product name is kept together.
      {449, L"Powered by Zelmar\u00a0Browser. Zelmar Browser will be installed along with "
            L"Zelmar Mail."},
      {453, L"Zelmar.Mail is now always just a click away on your computer."},
      // The gap in the table, and ids outside it.
      {441, L""},
      {399, L""},
      {454, L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LoadUiString(c.id, kEnglish), c.text) << c.id;
  }
}

TEST(LoadUiStringTest, OtherLanguagesHaveTheirOwnTexts) {
  struct Case {
    uint32_t language_id;
    int id;
    const wchar_t* text;
  } cases[] = {
      {1049, 405, L"\u0423\u0441\u0442\u0430\u043d\u043e\u0432\u0438\u0442\u044c"},  // ru
      {1055, 405, L"Y\u00fckle"},                                                // tr
      {1031, 411, L"Fortsetzen"},                                                // de
      {1041, 413, L"\u65e2\u5b9a\u306e\u30d6\u30e9\u30a6\u30b6\u30fc\u306b\u8a2d\u5b9a(&S)"},
      {2052, 429, L"\u786e\u5b9a"},                                              // zh-CN
      // A language the installer has no table for gets nothing, not English.
      {2057, 405, L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LoadUiString(c.id, c.language_id), c.text) << c.language_id << "/" << c.id;
  }
}

// What every table must hold, checked against the English one: each id
// but 441, not empty and without stray spaces; the product names kept
// together; the same line breaks (the dialogs are laid out for them), the
// same placeholders, mnemonics and link markup.
TEST(LoadUiStringTest, EveryLanguageHoldsTheWholeTable) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  std::set<uint32_t> language_ids;
  for (const InterfaceLanguage& interface_language : kInterfaceLanguages) {
    SCOPED_TRACE(interface_language.code);
    const uint32_t language = interface_language.id;
    EXPECT_EQ(LanguageIdForCode(interface_language.code), language);
    EXPECT_TRUE(language_ids.insert(language).second) << "two codes share " << language;
    for (int id = 390; id <= 470; ++id) {
      SCOPED_TRACE(id);
      const std::wstring text = LoadUiString(id, language);
      if (!IsInTable(id)) {
        EXPECT_EQ(text, L"");
        continue;
      }
      const std::wstring english = LoadUiString(id, kEnglish);
      ASSERT_FALSE(text.empty());
      EXPECT_NE(text.front(), L' ');
      EXPECT_NE(text.back(), L' ');
      EXPECT_NE(text.back(), L'\n');
      if (id != kSlideBody) EXPECT_EQ(Count(text, L"\n"), Count(english, L"\n"));
      EXPECT_EQ(Placeholders(text), Placeholders(english));
      EXPECT_EQ(Count(text, L"&"), Count(english, L"&"));
      EXPECT_EQ(Count(text, L"&&"), 0u);
      EXPECT_EQ(Count(text, L"(("), Count(english, L"(("));
      EXPECT_EQ(Count(text, L"))"), Count(english, L"))"));
      EXPECT_LE(text.find(L"(("), text.find(L"))"));
      EXPECT_EQ(Count(text, L"\t") + Count(text, L"\r"), 0u);
      for (const wchar_t* name : kNames) {
        EXPECT_EQ(Count(text, name) > 0, Count(english, name) > 0) << WideToUTF8(name);
      }
    }
    for (const KeptTogether& kept : kKeptTogether) {
      EXPECT_NE(LoadUiString(kept.id, language).find(kept.name), std::wstring::npos) << kept.id;
    }
    // 441 is in no table: its slot of block 28 is empty, not a string.
    const HRSRC block = ::FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(441 / 16 + 1),
                                          static_cast<WORD>(language));
    ASSERT_TRUE(block);
    const auto* slot = static_cast<const wchar_t*>(::LockResource(::LoadResource(module, block)));
    for (int index = 0; index < 441 % 16; ++index) slot += 1 + *slot;
    EXPECT_EQ(*slot, 0);
  }
}

}  // namespace
}  // namespace lite
