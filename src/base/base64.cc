#include "base/base64.h"

#include <cstdint>

namespace lite {
namespace {

int ValueOf(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::optional<std::string> DecodeBase64(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::string out;
  out.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    const int padding = last ? (text[i + 3] == '=') + (text[i + 2] == '=' && text[i + 3] == '=') : 0;
    uint32_t bits = 0;
    for (int j = 0; j < 4 - padding; ++j) {
      const int value = ValueOf(text[i + j]);
      if (value < 0) return std::nullopt;
      bits = (bits << 6) | static_cast<uint32_t>(value);
    }
    bits <<= 6 * padding;
    // Bits the padding leaves unused must be zero, or two texts would give
    // the same bytes.
    if ((padding == 1 && (bits & 0xFF)) || (padding == 2 && (bits & 0xFFFF))) return std::nullopt;
    out.push_back(static_cast<char>(bits >> 16));
    if (padding < 2) out.push_back(static_cast<char>((bits >> 8) & 0xFF));
    if (padding < 1) out.push_back(static_cast<char>(bits & 0xFF));
  }
  return out;
}

std::string EncodeBase64(std::string_view bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t count = bytes.size() - i < 3 ? bytes.size() - i : 3;
    uint32_t bits = static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << 16;
    if (count > 1) bits |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8;
    if (count > 2) bits |= static_cast<uint8_t>(bytes[i + 2]);
    out.push_back(kAlphabet[(bits >> 18) & 0x3F]);
    out.push_back(kAlphabet[(bits >> 12) & 0x3F]);
    out.push_back(count > 1 ? kAlphabet[(bits >> 6) & 0x3F] : '=');
    out.push_back(count > 2 ? kAlphabet[bits & 0x3F] : '=');
  }
  return out;
}

}  // namespace lite
