#ifndef LITE_SYSTEM_GUARDED_CALL_H_
#define LITE_SYSTEM_GUARDED_CALL_H_

#include <cstdint>
#include <string>
#include <type_traits>

namespace lite {

// What a structured exception that escaped a guarded call looked like.
// The names are set only for a failed delayed import (kDelayLoadFailureCode).
struct GuardedCallFault {
  uint32_t code = 0;  // 0: the call returned normally
  std::string dll_name;
  std::string proc_name;
};

// Raised by the delay-load helper when a delay-imported DLL cannot be loaded.
inline constexpr uint32_t kDelayLoadFailureCode = 0xC06D007E;

// "Exception with code=<code>dll_name=<dll>proc_name=<proc>", the names
// only when set.
std::string DescribeGuardedCallFault(const GuardedCallFault& fault);

// Runs fn(context) behind a structured-exception frame of its own. If an
// exception escapes fn, the stack is unwound back to here, |fault| describes
// the exception and the result is false; otherwise |fault| is reset and the
// result is true. Exceptions that fn handles itself are never seen here.
//
// Unwinding jumps over fn's frames without running C++ destructors, so fn
// must keep objects that need them out of the section that may fault (plain
// system calls are the intended use). Safe to nest and to use from any
// number of threads.
bool RunGuarded(void (*fn)(void*), void* context, GuardedCallFault* fault);

// RunGuarded for one call that returns a value: |no_result| (a null handle,
// or -1 for calls that return a status) when an exception escaped.
//   HINTERNET url = GuardedCall([&] { return ::InternetOpenUrlW(...); },
//                               HINTERNET(nullptr), &fault);
template <typename Result, typename Call>
Result GuardedCall(Call&& call, Result no_result, GuardedCallFault* fault) {
  static_assert(std::is_trivially_destructible_v<Result>,
                "a long jump would skip the result's destructor");
  struct Context {
    std::remove_reference_t<Call>* call;
    Result result;
  };
  Context context{&call, no_result};
  const bool completed = RunGuarded(
      [](void* raw) {
        auto* ctx = static_cast<Context*>(raw);
        ctx->result = (*ctx->call)();
      },
      &context, fault);
  return completed ? context.result : no_result;
}

}  // namespace lite

#endif  // LITE_SYSTEM_GUARDED_CALL_H_
