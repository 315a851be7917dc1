#include "process/bring_process_window_to_top.h"

#include <windows.h>

#include "logging/log_record.h"

namespace lite {
namespace {

struct SearchState {
  DWORD process_id;
  HWND found;
};

void Raise(HWND window) {
  const HWND foreground = ::GetForegroundWindow();
  const DWORD window_thread = ::GetWindowThreadProcessId(window, nullptr);
  const DWORD foreground_thread = foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
  if (foreground_thread && ::AttachThreadInput(window_thread, foreground_thread, TRUE)) {
    ::BringWindowToTop(window);
    ::SetForegroundWindow(window);
    ::AttachThreadInput(window_thread, foreground_thread, FALSE);
    if (::GetForegroundWindow() == window) return;
  }
  // The foreground lock keeps other processes from stealing the focus;
  // lift it for the moment of the switch.
  DWORD timeout = 0;
  ::SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
  ::SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
  ::BringWindowToTop(window);
  ::SetForegroundWindow(window);
  ::SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                          reinterpret_cast<void*>(static_cast<ULONG_PTR>(timeout)),
                          SPIF_SENDCHANGE);
}

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<SearchState*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != state->process_id) return TRUE;
  state->found = window;
  return FALSE;
}

}  // namespace

void BringProcessWindowToTop(uint32_t process_id) {
  if (process_id == 0) {
    PLOG(ERROR, "BringProcessWindowToTop")
        << "Failed to bring process window to top: wrong process id";
    return;
  }
  SearchState state = {process_id, nullptr};
  ::EnumWindows(&FindProcessWindow, reinterpret_cast<LPARAM>(&state));
  if (state.found) Raise(state.found);
}

}  // namespace lite
