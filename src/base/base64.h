#ifndef LITE_BASE_BASE64_H_
#define LITE_BASE_BASE64_H_

#include <optional>
#include <string>
#include <string_view>

namespace lite {

// Strict standard Base64 (A-Z a-z 0-9 + /, "=" padding, length a multiple
// of four, no white space, unused bits zero). Nothing for anything else.
std::optional<std::string> DecodeBase64(std::string_view text);

// Standard Base64 of |bytes| with "=" padding, no line breaks.
std::string EncodeBase64(std::string_view bytes);

}  // namespace lite

#endif  // LITE_BASE_BASE64_H_
