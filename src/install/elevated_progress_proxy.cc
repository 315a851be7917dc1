#include "install/elevated_progress_proxy.h"

namespace lite {

void ElevatedProgressProxy::SetTimeLeft(int seconds, int kind) {
  ::PostMessageW(window_, kTimeLeftMessage, static_cast<WPARAM>(seconds),
                 static_cast<LPARAM>(kind));
}

void ElevatedProgressProxy::SetProgressPercent(int percent) {
  ::PostMessageW(window_, kProgressPercentMessage, static_cast<WPARAM>(percent), 0);
}

void ElevatedProgressProxy::RemoveCancelButton() {
  ::ShowWindow(::GetDlgItem(window_, kCancelButtonId), SW_HIDE);
}

}  // namespace lite
