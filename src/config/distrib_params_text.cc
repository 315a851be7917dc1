#include "config/distrib_params_text.h"

#include <jansson.h>

#include <cstdlib>
#include <memory>

#include "base/json_reader.h"
#include "base/string_conversion.h"

namespace lite {

DistribParamsMap ParseDistribParamsText(std::string_view text) {
  DistribParamsMap params;
  size_t position = 0;
  while (position < text.size()) {
    const size_t key_end = text.find_first_of("&=", position);
    const std::string_view key =
        text.substr(position, key_end == std::string_view::npos ? key_end : key_end - position);
    std::string_view value;
    size_t pair_end = key_end;
    if (key_end != std::string_view::npos && text[key_end] == '=') {
      pair_end = text.find('&', key_end + 1);
      value = text.substr(key_end + 1, pair_end == std::string_view::npos
                                           ? pair_end
                                           : pair_end - key_end - 1);
    }
    params[std::string(key)] = std::string(value);
    if (pair_end == std::string_view::npos) break;
    position = pair_end + 1;
  }
  return params;
}

std::optional<std::string> DistribParamsToJson(const DistribParamsMap& params) {
  ScopedJson object(json_object());
  if (!object) return std::nullopt;
  for (const auto& [key, value] : params) {
    // Keys are C strings to the JSON library; a NUL would cut them short.
    if (!IsValidUTF8(key) || !IsValidUTF8(value) || key.find('\0') != std::string::npos) continue;
    json_t* member = json_stringn(value.data(), value.size());
    if (!member || json_object_set_new(object.get(), key.c_str(), member) != 0) {
      return std::nullopt;
    }
  }
  std::unique_ptr<char, decltype(&std::free)> text(
      json_dumps(object.get(), JSON_INDENT(2) | JSON_SORT_KEYS), &std::free);
  if (!text) return std::nullopt;
  return std::string(text.get());
}

}  // namespace lite
