#include "ui/slide_downloader.h"

#include <process.h>
#include <shlwapi.h>

#include <utility>

#include "logging/log_record.h"
#include "ui/scale_factor.h"

namespace lite {
namespace {

// Holds an SRW lock exclusively for one scope.
class ScopedExclusiveLock {
 public:
  explicit ScopedExclusiveLock(SRWLOCK* lock) : lock_(lock) { ::AcquireSRWLockExclusive(lock_); }
  ScopedExclusiveLock(const ScopedExclusiveLock&) = delete;
  ScopedExclusiveLock& operator=(const ScopedExclusiveLock&) = delete;
  ~ScopedExclusiveLock() { ::ReleaseSRWLockExclusive(lock_); }

 private:
  SRWLOCK* lock_;
};

}  // namespace

SlideDownloader::SlideDownloader(const ResourceBitmap& built_in_slide, std::wstring folder_url,
                                 std::unique_ptr<SlideFetcher> fetcher)
    : folder_url_(std::move(folder_url)),
      decode_factor_(ScaleFactor() * 0.5),
      fetcher_(fetcher ? std::move(fetcher) : std::make_unique<DownloaderSlideFetcher>()),
      images_{built_in_slide} {
  thread_.reset(reinterpret_cast<HANDLE>(
      ::_beginthreadex(nullptr, 0, &SlideDownloader::ThreadMain, this, 0, nullptr)));
  if (!thread_) {
    running_.store(false);
    PLOG(ERROR, "SlideDownloader") << "Failed to create the slide download thread";
  }
}

SlideDownloader::~SlideDownloader() {
  running_.store(false);
  if (thread_) ::WaitForSingleObject(thread_.get(), INFINITE);
}

ResourceBitmap SlideDownloader::ImageAt(size_t index) const {
  ScopedExclusiveLock hold(&list_lock_);
  if (images_.empty()) return ResourceBitmap();
  return images_[index % images_.size()];
}

size_t SlideDownloader::Count() const {
  ScopedExclusiveLock hold(&list_lock_);
  return images_.size();
}

// static
std::wstring SlideDownloader::SlideFileName(size_t count) {
  const size_t number = count + 1;
  return (count < 9 ? L"0" : L"") + std::to_wstring(number) + L".jpg";
}

// static
unsigned __stdcall SlideDownloader::ThreadMain(void* self) {
  static_cast<SlideDownloader*>(self)->Run();
  return 0;
}

void SlideDownloader::Run() {
  int failures = 0;
  while (running_.load()) {
    const size_t count = Count();
    // A server that answers every number would otherwise fill the memory.
    if (count >= kMaxSlideNumber) break;
    if (DownloadNextSlide(count)) {
      failures = 0;
    } else if (++failures >= kMaxFailuresInARow) {
      break;
    }
  }
  running_.store(false);
}

bool SlideDownloader::DownloadNextSlide(size_t count) {
  const std::wstring url = folder_url_ + L"x2/" + SlideFileName(count);
  std::string body;
  if (!fetcher_->Fetch(url, running_, &body)) return false;
  ScopedComPtr<IStream> stream(::SHCreateMemStream(reinterpret_cast<const BYTE*>(body.data()),
                                                   static_cast<UINT>(body.size())));
  ResourceBitmap image;
  if (!stream || !image.Load(stream.get(), decode_factor_)) {
    PLOG(ERROR, "DownloadImage")
        << "Failed to load a background slide bitmap from data downloaded from " << url;
    return false;
  }
  // Kept for as long as the window lives, so only with the pixels the
  // screen shows: a quarter of the server's at scale 1.
  const ResourceBitmap reduced = image.Reduced();
  ScopedExclusiveLock hold(&list_lock_);
  images_.push_back(reduced);
  return true;
}

}  // namespace lite
