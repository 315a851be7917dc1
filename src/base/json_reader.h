#ifndef LITE_BASE_JSON_READER_H_
#define LITE_BASE_JSON_READER_H_

#include <jansson.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lite {

struct JsonDeleter {
  void operator()(json_t* json) const { json_decref(json); }
};
using ScopedJson = std::unique_ptr<json_t, JsonDeleter>;

// Replaces "//" line comments and "/* */" block comments outside string
// literals with spaces, so offsets in parse errors still match the input.
// Returns nothing for an unterminated block comment.
std::optional<std::string> StripJsonComments(std::string_view text);

// Parses JSON text that may contain comments. Returns null on any error and,
// if |error| is given, describes it there.
ScopedJson ParseJsonWithComments(std::string_view text, std::string* error = nullptr);

}  // namespace lite

#endif  // LITE_BASE_JSON_READER_H_
