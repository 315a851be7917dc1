#ifndef LITE_PROCESS_TEST_CRASH_H_
#define LITE_PROCESS_TEST_CRASH_H_

#if defined(LITE_TEST_HOOKS)
namespace lite {

// Test builds only: when the switch "test-crash" names |where| ("main",
// "worker"), the calling thread crashes here with an access violation, so
// that tests see the crash reporter at work; "test-crash-working-set-mib"
// gives the process that many MiB of touched memory first.
void CrashIfAskedForTesting(const char* where);

}  // namespace lite
#endif

#endif  // LITE_PROCESS_TEST_CRASH_H_
