#ifndef LITE_UI_SLIDE_FETCHER_H_
#define LITE_UI_SLIDE_FETCHER_H_

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/download_clock.h"

namespace lite {

class Downloader;

// How the slide downloader gets the bytes of one slide.
class SlideFetcher {
 public:
  virtual ~SlideFetcher() = default;
  // The whole body of |url| into |body|. False on any failure, and as soon
  // as |running| is seen cleared.
  virtual bool Fetch(const std::wstring& url, const std::atomic<bool>& running,
                     std::string* body) = 0;
};

// Fetches with the WinINet downloader, giving up once a slide has taken
// more than kTimeLimitMs.
class DownloaderSlideFetcher : public SlideFetcher {
 public:
  static constexpr uint32_t kTimeLimitMs = 5000;
  using DownloaderFactory = std::function<std::unique_ptr<Downloader>()>;

  DownloaderSlideFetcher();
  // Another downloader and clock, for tests.
  DownloaderSlideFetcher(DownloaderFactory factory, TickCountFunction tick_count);

  bool Fetch(const std::wstring& url, const std::atomic<bool>& running,
             std::string* body) override;

 private:
  DownloaderFactory factory_;
  TickCountFunction tick_count_;
};

}  // namespace lite

#endif  // LITE_UI_SLIDE_FETCHER_H_
