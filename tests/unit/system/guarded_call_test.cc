#include "system/guarded_call.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// Delayed imports of DLLs or functions that do not exist (see the .def files
// next to this test): every call through them raises a real delay-load
// exception.
extern "C" int MissingFunction(int);
extern "C" int MissingByOrdinal(int);
extern "C" int LiteNoSuchFunction(int);
extern "C" int cpGetCryptoProVersion(void);

namespace lite {
namespace {

constexpr uint32_t kAccessViolation = 0xC0000005;
constexpr uint32_t kDelayLoadProcNotFound = 0xC06D007F;
constexpr uint32_t kApplicationException = 0xE0001234;

// The head of the thread's exception-frame chain, which a guard must leave
// as it found it. x64 has no such chain (its handlers are found through
// tables), so there the comparisons hold trivially.
void* ExceptionListHead() {
#if defined(__i386__)
  void* head;
  asm volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
#else
  return nullptr;
#endif
}

int ReadNull() {
  return *static_cast<volatile int*>(nullptr);
}

int CallMissingFunction() { return MissingFunction(1); }
int CallMissingByOrdinal() { return MissingByOrdinal(1); }
int CallMissingProc() { return LiteNoSuchFunction(1); }
int CallCryptoProLibrary() { return cpGetCryptoProVersion(); }
int RaiseApplicationException() {
  ::RaiseException(kApplicationException, 0, 0, nullptr);
  return 0;
}
// The delay-load code without the information record it normally carries.
int RaiseBareDelayLoadCode() {
  ::RaiseException(kDelayLoadFailureCode, 0, 0, nullptr);
  return 0;
}

struct FaultCase {
  const char* name;
  int (*call)();
  uint32_t code;
  const char* dll_name;
  const char* proc_name;
  const char* description;
};

const FaultCase kFaultCases[] = {
    {"delay-load by name", &CallMissingFunction, kDelayLoadFailureCode,
     "lite_missing_module.dll", "MissingFunction",
     "Exception with code=3228369022dll_name=lite_missing_module.dllproc_name=MissingFunction"},
    {"delay-load by ordinal", &CallMissingByOrdinal, kDelayLoadFailureCode,
     "lite_missing_module.dll", "",
     "Exception with code=3228369022dll_name=lite_missing_module.dll"},
    {"delay-load of the provider library", &CallCryptoProLibrary, kDelayLoadFailureCode,
     "CPLIB.dll", "cpGetCryptoProVersion",
     "Exception with code=3228369022dll_name=CPLIB.dllproc_name=cpGetCryptoProVersion"},
    // Other codes carry no names, even when delay-load information exists.
    {"delay-load procedure missing", &CallMissingProc, kDelayLoadProcNotFound, "", "",
     "Exception with code=3228369023"},
    {"access violation", &ReadNull, kAccessViolation, "", "", "Exception with code=3221225477"},
    {"raised by the callee", &RaiseApplicationException, kApplicationException, "", "",
     "Exception with code=3758101044"},
    {"delay-load code without information", &RaiseBareDelayLoadCode, kDelayLoadFailureCode, "",
     "", "Exception with code=3228369022"},
};

TEST(GuardedCallTest, EscapingExceptionsAreCaughtAndDescribed) {
  for (const FaultCase& c : kFaultCases) {
    SCOPED_TRACE(c.name);
    void* const head_before = ExceptionListHead();
    GuardedCallFault fault{0, "stale", "stale"};
    const int result = GuardedCall(c.call, -1, &fault);
    EXPECT_EQ(-1, result);
    EXPECT_EQ(c.code, fault.code);
    EXPECT_EQ(c.dll_name, fault.dll_name);
    EXPECT_EQ(c.proc_name, fault.proc_name);
    EXPECT_EQ(c.description, DescribeGuardedCallFault(fault));
    EXPECT_EQ(head_before, ExceptionListHead());
  }
}

TEST(GuardedCallTest, NormalCallKeepsItsResultAndResetsTheFault) {
  GuardedCallFault fault{kAccessViolation, "stale", "stale"};
  const int value = 42;
  EXPECT_EQ(42, GuardedCall([&] { return value; }, -1, &fault));
  EXPECT_EQ(0u, fault.code);
  EXPECT_TRUE(fault.dll_name.empty());
  EXPECT_TRUE(fault.proc_name.empty());

  // Handle-returning calls: a real handle comes through, a fault gives null.
  HANDLE event = GuardedCall([] { return ::CreateEventW(nullptr, TRUE, FALSE, nullptr); },
                             HANDLE(nullptr), &fault);
  ASSERT_NE(nullptr, event);
  EXPECT_EQ(0u, fault.code);
  ::CloseHandle(event);
  EXPECT_EQ(nullptr, GuardedCall(
                         [] {
                           ReadNull();
                           return ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
                         },
                         HANDLE(nullptr), &fault));
  EXPECT_EQ(kAccessViolation, fault.code);
}

TEST(GuardedCallTest, RunGuardedPassesContextAndReportsCompletion) {
  int calls = 0;
  GuardedCallFault fault;
  EXPECT_TRUE(RunGuarded([](void* context) { ++*static_cast<int*>(context); }, &calls, &fault));
  EXPECT_EQ(1, calls);
  EXPECT_EQ(0u, fault.code);
  EXPECT_FALSE(RunGuarded(
      [](void* context) {
        ++*static_cast<int*>(context);
        ReadNull();
        ++*static_cast<int*>(context);
      },
      &calls, &fault));
  EXPECT_EQ(2, calls);  // nothing after the fault ran
  EXPECT_EQ(kAccessViolation, fault.code);
}

TEST(DescribeGuardedCallFaultTest, PiecesFollowEachOtherWithoutSeparators) {
  struct Case {
    GuardedCallFault fault;
    const char* text;
  } cases[] = {
      {{0, "", ""}, "Exception with code=0"},
      {{0xFFFFFFFF, "", ""}, "Exception with code=4294967295"},
      {{1, "a.dll", ""}, "Exception with code=1dll_name=a.dll"},
      {{1, "", "Proc"}, "Exception with code=1proc_name=Proc"},
      {{1, "a.dll", "Proc"}, "Exception with code=1dll_name=a.dllproc_name=Proc"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.text, DescribeGuardedCallFault(c.fault));
}

// What the callee's own handler saw.
// A system function that probes memory under its own handler.
TEST(GuardedCallTest, FaultsASystemFunctionHandlesNeverReachTheGuard) {
  GuardedCallFault fault{kAccessViolation, "", ""};
  void* page = ::VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(nullptr, page);
  EXPECT_EQ(TRUE, GuardedCall([&] { return ::IsBadReadPtr(page, 4); }, FALSE, &fault));
  EXPECT_EQ(0u, fault.code);
  ::VirtualFree(page, 0, MEM_RELEASE);
}

#if defined(__i386__)
// Callees with exception frames of their own, linked by hand as 32-bit code
// does.
struct CalleeHandlerCalls {
  EXCEPTION_DISPOSITION answer;
  int dispatch;
  int unwind;
};

// A structured-exception frame of the callee's own, registered by hand as
// compiled code would, on the callee's stack.
struct CalleeFrame {
  CalleeFrame* next;
  void* handler;
  CalleeHandlerCalls* calls;
};

EXCEPTION_DISPOSITION __cdecl CalleeHandler(EXCEPTION_RECORD* record, void* establisher,
                                            CONTEXT*, void*) {
  CalleeHandlerCalls* calls = static_cast<CalleeFrame*>(establisher)->calls;
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) {
    ++calls->unwind;
    return ExceptionContinueSearch;
  }
  ++calls->dispatch;
  return calls->answer;
}

void RegisterCalleeFrame(CalleeFrame* frame, CalleeHandlerCalls* calls) {
  frame->handler = reinterpret_cast<void*>(&CalleeHandler);
  frame->calls = calls;
  asm volatile("movl %%fs:0, %0" : "=r"(frame->next));
  asm volatile("movl %0, %%fs:0" : : "r"(frame) : "memory");
}

void UnregisterCalleeFrame(CalleeFrame* frame) {
  asm volatile("movl %0, %%fs:0" : : "r"(frame->next) : "memory");
}

// Raises a continuable exception and handles it with its own frame.
void CalleeThatHandlesItsException(void* context) {
  auto* calls = static_cast<CalleeHandlerCalls*>(context);
  calls->answer = ExceptionContinueExecution;
  CalleeFrame frame;
  RegisterCalleeFrame(&frame, calls);
  ::RaiseException(kApplicationException, 0, 0, nullptr);
  UnregisterCalleeFrame(&frame);
}

// Lets a fault pass its own frame; the guard then has to unwind that frame.
void CalleeThatLetsItsFaultEscape(void* context) {
  auto* calls = static_cast<CalleeHandlerCalls*>(context);
  calls->answer = ExceptionContinueSearch;
  CalleeFrame frame;
  RegisterCalleeFrame(&frame, calls);
  ReadNull();
  UnregisterCalleeFrame(&frame);
}

TEST(GuardedCallTest, ExceptionsTheCalleeHandlesNeverReachTheGuard) {
  CalleeHandlerCalls calls = {};
  GuardedCallFault fault{kAccessViolation, "", ""};
  EXPECT_TRUE(RunGuarded(&CalleeThatHandlesItsException, &calls, &fault));
  EXPECT_EQ(0u, fault.code);
  EXPECT_EQ(1, calls.dispatch);
  EXPECT_EQ(0, calls.unwind);

}

TEST(GuardedCallTest, FramesOfTheCalleeAreUnwoundBeforeTheGuardResumes) {
  CalleeHandlerCalls calls = {};
  void* const head_before = ExceptionListHead();
  GuardedCallFault fault;
  EXPECT_FALSE(RunGuarded(&CalleeThatLetsItsFaultEscape, &calls, &fault));
  EXPECT_EQ(kAccessViolation, fault.code);
  EXPECT_EQ(1, calls.dispatch);
  EXPECT_EQ(1, calls.unwind);
  EXPECT_EQ(head_before, ExceptionListHead());
}

#endif  // __i386__

struct NestedRun {
  bool inner_faults;
  bool outer_faults_after_inner;
  GuardedCallFault inner_fault;
  int inner_result = 0;
};

void OuterCall(void* context) {
  auto* run = static_cast<NestedRun*>(context);
  run->inner_result = GuardedCall(run->inner_faults ? &ReadNull : +[] { return 7; }, -1,
                                  &run->inner_fault);
  if (run->outer_faults_after_inner) CallMissingFunction();
}

TEST(GuardedCallTest, NestedGuardsEachSeeOnlyTheirOwnFaults) {
  struct Case {
    bool inner_faults;
    bool outer_faults;
    uint32_t inner_code;
    int inner_result;
    uint32_t outer_code;
  } cases[] = {
      {true, false, kAccessViolation, -1, 0},
      {false, true, 0, 7, kDelayLoadFailureCode},
      // The inner guard must have restored the chain for the outer one.
      {true, true, kAccessViolation, -1, kDelayLoadFailureCode},
      {false, false, 0, 7, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "inner faults " << c.inner_faults << ", outer faults "
                                    << c.outer_faults);
    NestedRun run{c.inner_faults, c.outer_faults, {}};
    GuardedCallFault outer_fault;
    void* const head_before = ExceptionListHead();
    EXPECT_EQ(c.outer_code == 0, RunGuarded(&OuterCall, &run, &outer_fault));
    EXPECT_EQ(c.inner_code, run.inner_fault.code);
    EXPECT_EQ(c.inner_result, run.inner_result);
    EXPECT_EQ(c.outer_code, outer_fault.code);
    EXPECT_EQ(head_before, ExceptionListHead());
  }
}

TEST(GuardedCallTest, ThreadsFaultIndependently) {
  constexpr int kThreads = 8;
  constexpr int kRounds = 150;
  std::atomic<bool> go{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      while (!go.load()) std::this_thread::yield();
      void* const head = ExceptionListHead();
      for (int round = 0; round < kRounds; ++round) {
        GuardedCallFault fault;
        int result = 0;
        uint32_t expected_code = 0;
        switch ((round + t) % 3) {
          case 0:
            result = GuardedCall(&ReadNull, -1, &fault);
            expected_code = kAccessViolation;
            break;
          case 1:
            result = GuardedCall(&CallMissingFunction, -1, &fault);
            expected_code = kDelayLoadFailureCode;
            break;
          default:
            result = GuardedCall([&] { return round; }, -1, &fault);
            break;
        }
        const bool ok = expected_code == 0
                            ? result == round && fault.code == 0
                            : result == -1 && fault.code == expected_code &&
                                  (expected_code != kDelayLoadFailureCode ||
                                   fault.proc_name == "MissingFunction");
        if (!ok || ExceptionListHead() != head) ++wrong;
      }
    });
  }
  go = true;
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(0, wrong.load());
}

}  // namespace
}  // namespace lite
