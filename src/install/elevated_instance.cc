#include "install/elevated_instance.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "install/delayed_params.h"
#include "install/elevated_installer_process.h"
#include "install/elevated_progress_proxy.h"
#include "install/installer.h"
#include "logging/log_record.h"
#include "process/exit_codes.h"
#include "process/installer_command_line.h"
#include "process/switches.h"
#include "trust/verify_module.h"

namespace lite {
namespace {

constexpr char kFunction[] = "ExecuteAsAdmin";

// Digits only, within 32 bits.
bool ParseUnsignedDecimal(const std::wstring& text, uint32_t* value) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t result = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    result = result * 10 + static_cast<uint64_t>(c - L'0');
  }
  if (result > UINT32_MAX) return false;
  *value = static_cast<uint32_t>(result);
  return true;
}

}  // namespace

int ExecuteAsAdmin(const InstallerCommandLine& command_line) {
  const std::wstring setup_text = command_line.GetSwitchValue(switches::kSetupCmdLine);
  const std::string parent_text =
      command_line.GetSwitchValueASCII(switches::kParentInstallerProcessId);
  uint32_t parent_id = 0;
  if (!ParseUnsignedDecimal(UTF8ToWide(parent_text), &parent_id)) {
    PLOG(ERROR, kFunction) << "Suspicious process id=" << parent_text;
    parent_id = 0;
  }
  const ScopedHandle parent(::OpenProcess(SYNCHRONIZE, TRUE, parent_id));

  LOG(INFO, kFunction) << "Start installer as admin";
  InstallerCommandLine setup = InstallerCommandLine::FromString(setup_text);
  const ScopedHandle go(::OpenEventA(SYNCHRONIZE, FALSE, kElevatedGoEventName));
  const ScopedHandle cancel(::OpenEventA(SYNCHRONIZE, FALSE, kElevatedCancelEventName));

  HANDLE handles[] = {go.get(), cancel.get(), parent.get()};
  const DWORD wait = ::WaitForMultipleObjects(3, handles, FALSE, INFINITE);
  if (wait != WAIT_OBJECT_0) {
    PLOG(ERROR, kFunction) << "Installer started as admin has been unexpectedly synced, wr="
                           << wait;
    return EXIT_ELEVATED_FAILURE;
  }

  DelayedParams::Read().AmendSetupCommandLine(&setup);
  const std::wstring archive = setup.GetProgram();
  // The path comes from a section any process of this image can write, so
  // the archive is held against writes and verified again before it runs
  // with administrator rights.
  const ScopedHandle lock(::CreateFileW(archive.c_str(), GENERIC_READ | GENERIC_EXECUTE,
                                        FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!lock.is_valid()) {
    if (::GetFileAttributesW(archive.c_str()) == INVALID_FILE_ATTRIBUTES) {
      PLOG(ERROR, kFunction) << "Browser archive " << WideToUTF8(archive) << " does not exist";
    } else {
      PLOG(ERROR, kFunction) << "Cannot lock file: " << WideToUTF8(archive);
    }
    return EXIT_ELEVATED_FAILURE;
  }
  if (!VerifySignedModule(archive)) {
    PLOG(ERROR, kFunction) << "Module verification failed: " << WideToUTF8(archive);
    return EXIT_ELEVATED_FAILURE;
  }

  uint32_t window = 0;
  ParseUnsignedDecimal(setup.GetSwitchValue(switches::kProgressWindow), &window);
  ElevatedProgressProxy proxy(reinterpret_cast<HWND>(static_cast<uintptr_t>(window)));
  auto installer = std::make_unique<Installer>(&proxy, nullptr, nullptr, false, command_line);
  const bool result = installer->RunModule(archive, setup);
  LOG(INFO, kFunction) << "RunModule results: success=" << (result ? 1 : 0);
  installer.reset();
  return result ? EXIT_ELEVATED_SUCCESS : EXIT_ELEVATED_FAILURE;
}

}  // namespace lite
