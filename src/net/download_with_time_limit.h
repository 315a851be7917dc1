#ifndef LITE_NET_DOWNLOAD_WITH_TIME_LIMIT_H_
#define LITE_NET_DOWNLOAD_WITH_TIME_LIMIT_H_

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "net/download_clock.h"

namespace lite {

class DownloadSink;
class Downloader;

// Downloads |url| into |sink| while |running| stays true and, with a
// non-zero |limit_ms|, for no longer than that.
bool DownloadWithTimeLimit(const std::wstring& url, DownloadSink* sink, uint32_t limit_ms,
                           const std::atomic<bool>& running);

// The same loop over a given downloader and clock, for tests.
bool DownloadWithTimeLimitUsing(Downloader* downloader, TickCountFunction tick_count,
                                const std::wstring& url, DownloadSink* sink, uint32_t limit_ms,
                                const std::atomic<bool>& running);

}  // namespace lite

#endif  // LITE_NET_DOWNLOAD_WITH_TIME_LIMIT_H_
