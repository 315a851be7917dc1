// Tag text is whatever a distribution server wrote into the certificate:
// parse it and dump it as the setup program would receive it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/json_reader.h"
#include "config/distrib_params_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const lite::DistribParamsMap params = lite::ParseDistribParamsText(text);
  // Every byte of the input ends up in a key, a value or a separator.
  size_t bytes = 0;
  for (const auto& [key, value] : params) bytes += key.size() + value.size();
  if (bytes > size) __builtin_trap();
  if (const auto json = lite::DistribParamsToJson(params)) {
    // The dump must read back as an object with at most as many members.
    lite::ScopedJson root = lite::ParseJsonWithComments(*json);
    if (!root || !json_is_object(root.get()) || json_object_size(root.get()) > params.size()) {
      __builtin_trap();
    }
  }
  return 0;
}
