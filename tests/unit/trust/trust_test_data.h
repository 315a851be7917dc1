#ifndef LITE_TESTS_UNIT_TRUST_TRUST_TEST_DATA_H_
#define LITE_TESTS_UNIT_TRUST_TRUST_TEST_DATA_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/file_util.h"
#include "test_util.h"

namespace lite {

// A file the build placed in trust_data beside the test executable.
inline std::vector<uint8_t> ReadTrustData(const std::wstring& name) {
  const std::string text = ReadWholeFile(ExecutableFolder() + L"\\trust_data\\" + name);
  return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace lite

#endif  // LITE_TESTS_UNIT_TRUST_TRUST_TEST_DATA_H_
