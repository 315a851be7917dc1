#ifndef LITE_CONFIG_CABINET_EXTRACTOR_H_
#define LITE_CONFIG_CABINET_EXTRACTOR_H_

#include <cstdint>
#include <map>
#include <string>

namespace lite {

using CabinetFiles = std::map<std::string, std::string>;

// Extracts files from an in-memory cabinet with the system's cabinet
// library, without touching the disk. |wanted| limits it to one file name
// (empty: every file). |files| is replaced by what was extracted, also on
// failure (files completed before a damaged block stay). Returns whether
// the decompressor reported success.
bool ExtractFilesFromCabinet(const uint8_t* cabinet, uint32_t size, CabinetFiles* files,
                             const std::string& wanted);

}  // namespace lite

#endif  // LITE_CONFIG_CABINET_EXTRACTOR_H_
