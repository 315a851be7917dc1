#include "ui/slide_fetcher.h"

#include <utility>

#include "net/download_with_time_limit.h"
#include "net/downloader.h"
#include "net/string_download_sink.h"

namespace lite {

DownloaderSlideFetcher::DownloaderSlideFetcher()
    : DownloaderSlideFetcher([] { return std::make_unique<Downloader>(); }, &SystemTickCount) {}

DownloaderSlideFetcher::DownloaderSlideFetcher(DownloaderFactory factory,
                                               TickCountFunction tick_count)
    : factory_(std::move(factory)), tick_count_(tick_count) {}

bool DownloaderSlideFetcher::Fetch(const std::wstring& url, const std::atomic<bool>& running,
                                   std::string* body) {
  const std::unique_ptr<Downloader> downloader = factory_();
  StringDownloadSink sink(StringDownloadSink::kSlideLimit);
  if (!DownloadWithTimeLimitUsing(downloader.get(), tick_count_, url, &sink, kTimeLimitMs,
                                  running)) {
    return false;
  }
  *body = sink.TakeData();
  return true;
}

}  // namespace lite
