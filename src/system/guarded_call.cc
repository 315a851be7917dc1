#include "system/guarded_call.h"

#include <windows.h>
#include <delayimp.h>

#include <cstddef>

namespace lite {
namespace {

constexpr size_t kMaxNameLength = 511;

#if defined(__i386__)
// The head of this structure is the system's EXCEPTION_REGISTRATION_RECORD
// {next, handler}; the rest is our own state. It lives on RunGuarded's stack
// and is linked at FS:[0] while the guarded function runs.
struct GuardFrame {
  GuardFrame* next;
  void* handler;
  void* jump_buffer[5];  // for __builtin_setjmp
  uint32_t code;
  char dll_name[kMaxNameLength + 1];
  char proc_name[kMaxNameLength + 1];
};

GuardFrame* CurrentExceptionList() {
  GuardFrame* head;
  asm volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}

void SetExceptionList(GuardFrame* head) {
  asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}
#else
// What the 64-bit filter records; it cannot reach the caller's frame.
struct GuardFrame {
  uint32_t code;
  char dll_name[kMaxNameLength + 1];
  char proc_name[kMaxNameLength + 1];
};
#endif

// Copies without allocating: the handler runs in the middle of exception
// dispatch, possibly on a nearly exhausted stack or with a broken heap.
void CopyName(const char* source, char* destination) {
  size_t length = 0;
  if (source) {
    while (length < kMaxNameLength && source[length] != '\0') {
      destination[length] = source[length];
      ++length;
    }
  }
  destination[length] = '\0';
}

void RecordFault(const EXCEPTION_RECORD& record, GuardFrame* frame) {
  frame->code = record.ExceptionCode;
  frame->dll_name[0] = '\0';
  frame->proc_name[0] = '\0';
  if (record.ExceptionCode != kDelayLoadFailureCode || record.NumberParameters < 1) return;
  const auto* info = reinterpret_cast<const DelayLoadInfo*>(record.ExceptionInformation[0]);
  // A size that does not match is not the delay-load helper's record.
  if (!info || info->cb < offsetof(DelayLoadInfo, hmodCur)) return;
  CopyName(info->szDll, frame->dll_name);
  if (info->dlp.fImportByName) CopyName(info->dlp.szProcName, frame->proc_name);
}

}  // namespace

std::string DescribeGuardedCallFault(const GuardedCallFault& fault) {
  std::string text = "Exception with code=" + std::to_string(fault.code);
  if (!fault.dll_name.empty()) text += "dll_name=" + fault.dll_name;
  if (!fault.proc_name.empty()) text += "proc_name=" + fault.proc_name;
  return text;
}

}  // namespace lite

#if defined(__i386__)
// RtlUnwind may return with EBX, ESI and EDI changed, which compiled code
// cannot be told about; this wrapper keeps them (and EBP) intact.
extern "C" void lite_UnwindToGuardFrame(void* frame, EXCEPTION_RECORD* record);
asm(".text\n"
    ".p2align 4\n"
    ".globl _lite_UnwindToGuardFrame\n"
    "_lite_UnwindToGuardFrame:\n"
    "  pushl %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  pushl $0\n"            // ReturnValue
    "  pushl 28(%esp)\n"      // ExceptionRecord (second argument)
    "  pushl $0\n"            // TargetIp (unused on x86)
    "  pushl 32(%esp)\n"      // TargetFrame (first argument)
    "  call *__imp__RtlUnwind@16\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n");

namespace lite {
namespace {

EXCEPTION_DISPOSITION __cdecl GuardFrameHandler(EXCEPTION_RECORD* record, void* establisher_frame,
                                                CONTEXT* /*context*/,
                                                void* /*dispatcher_context*/) {
  // Called again while someone unwinds through us; there is nothing to undo.
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) {
    return ExceptionContinueSearch;
  }
  auto* frame = static_cast<GuardFrame*>(establisher_frame);
  RecordFault(*record, frame);
  // Lets the frames that the callee registered clean up, and leaves FS:[0]
  // pointing at our frame.
  lite_UnwindToGuardFrame(frame, record);
  __builtin_longjmp(frame->jump_buffer, 1);
}

}  // namespace

// Nothing in this function between the setjmp and the end of the call may
// need a destructor: the way back from a fault is a long jump.
bool RunGuarded(void (*fn)(void*), void* context, GuardedCallFault* fault) {
  GuardFrame frame;
  frame.handler = reinterpret_cast<void*>(&GuardFrameHandler);
  frame.next = CurrentExceptionList();
  frame.code = 0;
  frame.dll_name[0] = '\0';
  frame.proc_name[0] = '\0';

  if (__builtin_setjmp(frame.jump_buffer) == 0) {
    SetExceptionList(&frame);
    fn(context);
    SetExceptionList(frame.next);
    fault->code = 0;
    fault->dll_name.clear();
    fault->proc_name.clear();
    return true;
  }

  // Back from GuardFrameHandler: the handler wrote |frame| behind the
  // compiler's back.
  asm volatile("" : : : "memory");
  SetExceptionList(frame.next);
  fault->code = frame.code;
  fault->dll_name = frame.dll_name;
  fault->proc_name = frame.proc_name;
  return false;
}

}  // namespace lite

#else  // x64: table-based exception handling

namespace lite {
namespace {

// The frame in which the filter runs is not ours, so what it sees goes
// through a per-thread slot; RunGuarded saves and restores the slot, which
// keeps nested guards apart.
thread_local GuardFrame* t_guard_frame = nullptr;

}  // namespace
}  // namespace lite

// Called by __C_specific_handler for an exception raised inside the guarded
// range of RunGuardedCall below, after the callee's own handlers declined it.
// Referenced only from the handler data, hence kept explicitly.
extern "C" __attribute__((used)) long lite_GuardFilter(EXCEPTION_POINTERS* pointers,
                                                       void* /*frame*/) {
  lite::GuardFrame* frame = lite::t_guard_frame;
  if (!frame) return EXCEPTION_CONTINUE_SEARCH;
  lite::RecordFault(*pointers->ExceptionRecord, frame);
  return EXCEPTION_EXECUTE_HANDLER;
}

namespace lite {
namespace {

// One scope table entry per function: the labels are fixed, so this must be
// neither inlined nor cloned, and it names its own section to go back to
// after the handler data. Unwinding lands on the label after the call,
// with the nonvolatile registers restored from this function's unwind data.
__attribute__((noinline, noipa, section(".text$lite_guard"))) bool RunGuardedCall(
    void (*fn)(void*), void* context, volatile bool* returned) {
  asm volatile(
      ".l_lite_guard_start:\n"
      "\t.seh_handler __C_specific_handler, @except\n"
      "\t.seh_handlerdata\n"
      "\t.long 1\n"
      "\t.rva .l_lite_guard_start, .l_lite_guard_end, lite_GuardFilter, .l_lite_guard_end\n"
      "\t.section .text$lite_guard,\"xr\"\n" ::: "memory");
  fn(context);
  *returned = true;
  asm volatile("nop\n.l_lite_guard_end: nop\n" ::: "memory");
  return *returned;
}

}  // namespace

bool RunGuarded(void (*fn)(void*), void* context, GuardedCallFault* fault) {
  GuardFrame frame;
  frame.code = 0;
  frame.dll_name[0] = '\0';
  frame.proc_name[0] = '\0';
  GuardFrame* const outer = t_guard_frame;
  t_guard_frame = &frame;
  volatile bool returned = false;
  const bool completed = RunGuardedCall(fn, context, &returned);
  t_guard_frame = outer;
  fault->code = completed ? 0 : frame.code;
  fault->dll_name = completed ? "" : frame.dll_name;
  fault->proc_name = completed ? "" : frame.proc_name;
  return completed;
}

}  // namespace lite

#endif
