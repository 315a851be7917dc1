#include "process/exit_codes.h"

namespace lite {

std::string DescribeSetupExitCode(uint32_t exit_code) {
  struct Name {
    uint32_t code;
    const char* name;
  };
  static constexpr Name kNames[] = {
      {0, "SUCCESS_EXIT_CODE"},
      {1, "GENERIC_ERROR"},
      {101, "GENERIC_INITIALIZATION_FAILURE"},
      {105, "COMMAND_STRING_OVERFLOW"},
      {107, "WAIT_FOR_PROCESS_FAILED"},
      {108, "PATH_STRING_OVERFLOW"},
      {109, "UNABLE_TO_GET_WORK_DIRECTORY"},
      {110, "UNABLE_TO_FIND_REGISTRY_KEY"},
      {111, "PATCH_NOT_FOR_INSTALLED_VERSION"},
      {112, "UNABLE_TO_EXTRACT_CHROME_ARCHIVE"},
      {115, "UNABLE_TO_EXTRACT_SETUP_EXE"},
      {116, "UNABLE_TO_EXTRACT_SETUP"},
      {117, "UNABLE_TO_SET_DIRECTORY_ACL"},
  };
  const uint32_t top = exit_code >> 24;
  const std::string error = "; error: " + std::to_string(exit_code & 0xFFFFFF);
  for (const Name& entry : kNames) {
    if (entry.code == top) return entry.name + ("(" + std::to_string(top) + ")") + error;
  }
  return "Exit code: " + std::to_string(top) + error;
}

}  // namespace lite
