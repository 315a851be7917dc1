#include "net/download_with_time_limit.h"

#include "net/downloader.h"

namespace lite {
bool DownloadWithTimeLimit(const std::wstring& url, DownloadSink* sink, uint32_t limit_ms,
                           const std::atomic<bool>& running) {
  Downloader downloader;
  return DownloadWithTimeLimitUsing(&downloader, &SystemTickCount, url, sink, limit_ms, running);
}

bool DownloadWithTimeLimitUsing(Downloader* downloader, TickCountFunction tick_count,
                                const std::wstring& url, DownloadSink* sink, uint32_t limit_ms,
                                const std::atomic<bool>& running) {
  if (!downloader->OpenDownload(url, sink)) return false;
  const DWORD start = tick_count();
  for (;;) {
    const uint32_t read = downloader->ReadChunk();
    if (limit_ms != 0 && read != 0 && tick_count() - start > limit_ms) return false;
    if (read == 0) return running.load() && downloader->FinalizeDownload(nullptr);
    if (!running.load()) return false;
  }
}

}  // namespace lite
