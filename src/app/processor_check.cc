#include "app/processor_check.h"

#include "system/platform_queries.h"

namespace lite {
namespace {

constexpr unsigned kSse2Feature = 10;  // PF_XMMI64_INSTRUCTIONS_AVAILABLE
constexpr unsigned kSse3Feature = 13;  // PF_SSE3_INSTRUCTIONS_AVAILABLE

}  // namespace

bool IsProcessorSupported(int* message_id) {
  const bool sse2 = Platform().IsProcessorFeaturePresent(kSse2Feature);
  const bool sse3 = Platform().IsProcessorFeaturePresent(kSse3Feature);
  if (sse2 && sse3) return true;
  if (message_id) *message_id = sse3 ? kIdsUnsupportedSse2 : kIdsUnsupportedSse3;
  return false;
}

}  // namespace lite
