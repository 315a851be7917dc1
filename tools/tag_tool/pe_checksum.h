#ifndef LITE_TOOLS_TAG_TOOL_PE_CHECKSUM_H_
#define LITE_TOOLS_TAG_TOOL_PE_CHECKSUM_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lite {

// The file offset of the optional header's CheckSum field, or false when
// |image| has no PE headers that reach it.
bool FindPeChecksumField(std::string_view image, size_t* offset);

// The PE image checksum of |image|: the folded 16-bit sum of its words, the
// CheckSum field at |field_offset| counted as zero, plus the file length.
uint32_t ComputePeChecksum(std::string_view image, size_t field_offset);

}  // namespace lite

#endif  // LITE_TOOLS_TAG_TOOL_PE_CHECKSUM_H_
