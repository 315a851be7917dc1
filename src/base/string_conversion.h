#ifndef LITE_BASE_STRING_CONVERSION_H_
#define LITE_BASE_STRING_CONVERSION_H_

#include <string>
#include <string_view>

namespace lite {

// Narrow strings are UTF-8; wide strings are UTF-16 on Windows (and UTF-32
// where wchar_t is 32 bits, so the byte parsers also build natively).
// Invalid sequences become U+FFFD.
std::string WideToUTF8(std::wstring_view wide);
std::wstring UTF8ToWide(std::string_view utf8);

// Byte-wise conversions used by the command line and the registry: narrowing
// keeps the low byte of each character, widening maps each byte to one
// character.
std::string NarrowLowByte(std::wstring_view wide);
std::wstring WidenBytes(std::string_view bytes);

// ASCII-only case folding; other bytes are left alone.
std::string ToLowerASCII(std::string_view text);
std::string ToUpperASCII(std::string_view text);

// True if |utf8| is well-formed UTF-8 (no overlongs, surrogates or values
// above U+10FFFF).
bool IsValidUTF8(std::string_view utf8);

}  // namespace lite

#endif  // LITE_BASE_STRING_CONVERSION_H_
