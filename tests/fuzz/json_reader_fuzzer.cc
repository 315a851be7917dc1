// Package text and the trusted list are read with the comment-skipping
// JSON reader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/json_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto stripped = lite::StripJsonComments(text);
  // Comments become spaces: offsets and line breaks stay where they were.
  if (stripped && stripped->size() != size) __builtin_trap();
  std::string error;
  lite::ScopedJson root = lite::ParseJsonWithComments(text, &error);
  if (root && !json_is_object(root.get()) && !json_is_array(root.get())) __builtin_trap();
  return 0;
}
