#ifndef LITE_TOOLS_TAG_TOOL_TAG_WRITER_H_
#define LITE_TOOLS_TAG_TOOL_TAG_WRITER_H_

#include <string>
#include <string_view>

namespace lite {

// The tag the installer would read from the executable |path|: its dummy
// certificates' tag, else its appended block's. False with |error| set when
// the file cannot be read or has no well-formed certificate table.
bool ReadTagOfFile(const std::string& path, std::string* tag, std::string* error);

// Writes |tag| into the padding of the dummy certificate of the signed
// executable |path|, in place: only the tag extension's bytes and the header
// checksum (when set) change, and the Authenticode signature covers neither,
// so no length moves and the signature stays valid. Further dummy
// certificates get an empty tag, so that the installer reads exactly |tag|.
// The file is left untouched when it cannot be parsed, holds no dummy
// certificate or the tag does not fit; |error| then says why.
bool WriteTagInPlace(const std::string& path, std::string_view tag, std::string* error);

}  // namespace lite

#endif  // LITE_TOOLS_TAG_TOOL_TAG_WRITER_H_
