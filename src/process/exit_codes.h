#ifndef LITE_PROCESS_EXIT_CODES_H_
#define LITE_PROCESS_EXIT_CODES_H_

#include <cstdint>
#include <string>

namespace lite {

// Process exit codes. Any other value is the setup program's own code,
// passed through, or the exit code of a relaunched copy.
enum ExitCode : int32_t {
  EXIT_ELEVATED_SUCCESS = 0,
  EXIT_ELEVATED_FAILURE = -1,
  EXIT_DLLS_IN_WORKING_DIRECTORY = -200,
  EXIT_SETUP_NOT_RUN = 400,
  EXIT_MODULE_NOT_DOWNLOADED = 401,
  EXIT_MODULE_VERIFICATION_FAILED = 402,
  EXIT_NOT_ENOUGH_DISK_SPACE = 403,
  EXIT_CPU_NOT_SUPPORTED = 404,
  EXIT_USER_CANCELLED = 500,
  EXIT_ALREADY_RUNNING = 600,
  EXIT_INTERFACE_AVAILABLE = 700,
  EXIT_INTERFACE_NOT_AVAILABLE = 701,
};

// The setup's exit code for the log: the top 8 bits named from the setup's
// table, the low 24 bits as the error, e.g. "SUCCESS_EXIT_CODE(0); error: 1".
std::string DescribeSetupExitCode(uint32_t exit_code);

}  // namespace lite

#endif  // LITE_PROCESS_EXIT_CODES_H_
