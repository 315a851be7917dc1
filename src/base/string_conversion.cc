#include "base/string_conversion.h"

#include <cstdint>

namespace lite {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at |*pos|; advances past it. Returns kReplacement
// for a malformed sequence, consuming one byte.
char32_t DecodeUTF8(std::string_view s, size_t* pos) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(s[i]); };
  const uint8_t lead = byte(*pos);
  if (lead < 0x80) {
    ++*pos;
    return lead;
  }
  int extra;
  char32_t cp;
  char32_t min;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, min = 0x10000;
  } else {
    ++*pos;
    return kReplacement;
  }
  if (s.size() - *pos <= static_cast<size_t>(extra)) {
    ++*pos;
    return kReplacement;
  }
  for (int i = 1; i <= extra; ++i) {
    const uint8_t b = byte(*pos + i);
    if ((b & 0xC0) != 0x80) {
      ++*pos;
      return kReplacement;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++*pos;
    return kReplacement;
  }
  *pos += extra + 1;
  return cp;
}

void AppendUTF8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void AppendWide(char32_t cp, std::wstring* out) {
  if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
    cp -= 0x10000;
    out->push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
    out->push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out->push_back(static_cast<wchar_t>(cp));
  }
}

}  // namespace

std::string WideToUTF8(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    char32_t cp = static_cast<char32_t>(wide[i]);
    if (sizeof(wchar_t) == 2) {
      cp &= 0xFFFF;
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size()) {
        const char32_t low = static_cast<char32_t>(wide[i + 1]) & 0xFFFF;
        if (low >= 0xDC00 && low <= 0xDFFF) {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
    AppendUTF8(cp, &out);
  }
  return out;
}

std::wstring UTF8ToWide(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) AppendWide(DecodeUTF8(utf8, &pos), &out);
  return out;
}

std::string NarrowLowByte(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (wchar_t c : wide) out.push_back(static_cast<char>(c & 0xFF));
  return out;
}

std::wstring WidenBytes(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (char c : bytes) out.push_back(static_cast<wchar_t>(static_cast<uint8_t>(c)));
  return out;
}

std::string ToLowerASCII(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string ToUpperASCII(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool IsValidUTF8(std::string_view utf8) {
  size_t pos = 0;
  while (pos < utf8.size()) {
    const size_t start = pos;
    const char32_t cp = DecodeUTF8(utf8, &pos);
    // A real U+FFFD is three bytes; a replacement for garbage consumes one.
    if (cp == kReplacement && pos - start != 3) return false;
  }
  return true;
}

}  // namespace lite
