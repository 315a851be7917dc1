#include "base/json_reader.h"

namespace lite {

std::optional<std::string> StripJsonComments(std::string_view text) {
  std::string out(text);
  bool in_string = false;
  size_t i = 0;
  while (i < out.size()) {
    const char c = out[i];
    if (in_string) {
      if (c == '\\') {
        i += 2;
        continue;
      }
      if (c == '"') in_string = false;
      ++i;
      continue;
    }
    if (c == '"') {
      in_string = true;
      ++i;
      continue;
    }
    if (c == '/' && i + 1 < out.size() && out[i + 1] == '/') {
      while (i < out.size() && out[i] != '\n' && out[i] != '\r') out[i++] = ' ';
      continue;
    }
    if (c == '/' && i + 1 < out.size() && out[i + 1] == '*') {
      const size_t end = out.find("*/", i + 2);
      if (end == std::string::npos) return std::nullopt;
      for (size_t j = i; j < end + 2; ++j) {
        // Keep line breaks so reported line numbers stay right.
        if (out[j] != '\n' && out[j] != '\r') out[j] = ' ';
      }
      i = end + 2;
      continue;
    }
    ++i;
  }
  return out;
}

ScopedJson ParseJsonWithComments(std::string_view text, std::string* error) {
  const std::optional<std::string> stripped = StripJsonComments(text);
  if (!stripped) {
    if (error) *error = "unterminated comment";
    return nullptr;
  }
  json_error_t json_error;
  // The root must be an object or an array (the library's default);
  // JSON_ALLOW_NUL keeps an embedded \u0000 from failing whole documents.
  ScopedJson root(json_loadb(stripped->data(), stripped->size(), JSON_ALLOW_NUL, &json_error));
  if (!root && error) {
    *error = std::string(json_error.text) + " at line " + std::to_string(json_error.line);
  }
  return root;
}

}  // namespace lite
