#ifndef LITE_APP_PROCESSOR_CHECK_H_
#define LITE_APP_PROCESSOR_CHECK_H_

namespace lite {

inline constexpr int kIdsUnsupportedSse2 = 446;
inline constexpr int kIdsUnsupportedSse3 = 447;

// The browser needs SSE2 and SSE3. When either is missing, |message_id|
// receives the string for the message box: 447 when SSE3 is missing
// (whatever SSE2 says), else 446.
bool IsProcessorSupported(int* message_id);

}  // namespace lite

#endif  // LITE_APP_PROCESSOR_CHECK_H_
