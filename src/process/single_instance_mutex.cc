#include "process/single_instance_mutex.h"

namespace lite {

const wchar_t SingleInstanceMutex::kName[] =
    L"Local\\ZelmarBrowserLiteInstallerMutex-E523E369-4A72-4B13-AD57-5B956174172A";

SingleInstanceMutex::~SingleInstanceMutex() {
  if (held_) ::ReleaseMutex(mutex_.get());
}

bool SingleInstanceMutex::Acquire() {
  mutex_.reset(::CreateMutexW(nullptr, FALSE, kName));
  const DWORD wait = mutex_ ? ::WaitForSingleObject(mutex_.get(), 0) : WAIT_FAILED;
  owned_ = wait == WAIT_OBJECT_0;
  // An abandoned mutex is ours now even though it does not count as owned;
  // release it at the end so the abandonment is not handed on.
  held_ = owned_ || wait == WAIT_ABANDONED;
  return owned_;
}

}  // namespace lite
