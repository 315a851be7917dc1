#include "install/elevated_installer_process.h"

#include "logging/log_record.h"

namespace lite {

ElevatedInstallerProcess::ElevatedInstallerProcess(DWORD finish_wait_ms)
    : go_event_(::CreateEventA(nullptr, FALSE, FALSE, kElevatedGoEventName)),
      cancel_event_(::CreateEventA(nullptr, FALSE, FALSE, kElevatedCancelEventName)),
      finish_wait_ms_(finish_wait_ms) {}

void ElevatedInstallerProcess::SetProcess(HANDLE process, HWND owner_window) {
  process_.reset(process);
  owner_window_ = owner_window;
}

ElevatedInstallerProcess::~ElevatedInstallerProcess() {
  if (process_.is_valid()) {
    if (!started_) ::SetEvent(cancel_event_.get());
    EnsureProcessFinished();
    return;
  }
  go_event_.reset();
  cancel_event_.reset();
  DestroyOwnerWindow();
}

bool ElevatedInstallerProcess::RunModule(HANDLE stop_event) {
  started_ = true;
  ::SetEvent(go_event_.get());
  HANDLE handles[] = {stop_event, process_.get()};
  switch (::WaitForMultipleObjects(2, handles, FALSE, INFINITE)) {
    case WAIT_OBJECT_0 + 1: {
      DWORD code = 0;
      if (::GetExitCodeProcess(process_.get(), &code)) {
        exit_code_ = static_cast<int32_t>(code);
      } else {
        PLOG(ERROR, "RunModule") << "Failed to get exit code of the elevated installer.";
      }
      return exit_code_ == 0;
    }
    case WAIT_OBJECT_0:
      PLOG(ERROR, "RunModule") << "The elevated installer was terminated due to stop event.";
      return false;
    default:
      return false;
  }
}

void ElevatedInstallerProcess::EnsureProcessFinished() {
  if (process_.is_valid() &&
      ::WaitForSingleObject(process_.get(), finish_wait_ms_) == WAIT_TIMEOUT) {
    terminated_ = true;
    PLOG(ERROR, "EnsureProcessFinished")
        << "The elevated installer hangs and must be forcibly terminated.";
    ::TerminateProcess(process_.get(), 0);
  }
  process_.reset();
  go_event_.reset();
  cancel_event_.reset();
  DestroyOwnerWindow();
}

void ElevatedInstallerProcess::DestroyOwnerWindow() {
  if (!owner_window_) return;
  // Only its own thread may destroy a window; from the worker thread the
  // window thread is asked to.
  if (::GetWindowThreadProcessId(owner_window_, nullptr) == ::GetCurrentThreadId()) {
    ::DestroyWindow(owner_window_);
  } else {
    ::PostMessageW(owner_window_, WM_CLOSE, 0, 0);
  }
  owner_window_ = nullptr;
}

}  // namespace lite
