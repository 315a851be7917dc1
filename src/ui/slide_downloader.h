#ifndef LITE_UI_SLIDE_DOWNLOADER_H_
#define LITE_UI_SLIDE_DOWNLOADER_H_

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "base/scoped_handle.h"
#include "ui/resource_bitmap.h"
#include "ui/slide_fetcher.h"
#include "ui/slide_source.h"

namespace lite {

// The progress screen's slides: the built-in slide first, then the server's
// slides "x2/02.jpg", "x2/03.jpg", ... of the slide folder, fetched one
// after another on a thread of its own until ten in a row fail. The list
// only grows; the window reads it while the thread appends.
class SlideDownloader : public SlideSource {
 public:
  static constexpr int kMaxFailuresInARow = 10;
  // Server slides are numbered with two digits.
  static constexpr size_t kMaxSlideNumber = 99;

  // |folder_url| ends with "/". Without a |fetcher| the slides come over
  // the network.
  SlideDownloader(const ResourceBitmap& built_in_slide, std::wstring folder_url,
                  std::unique_ptr<SlideFetcher> fetcher = nullptr);
  SlideDownloader(const SlideDownloader&) = delete;
  SlideDownloader& operator=(const SlideDownloader&) = delete;
  // Stops a fetch in progress after its current chunk and waits for the
  // thread.
  ~SlideDownloader() override;

  // A copy of slide |index| modulo the count; empty when there is none.
  ResourceBitmap ImageAt(size_t index) const override;
  size_t Count() const;
  // False once the thread has given up (or is being stopped).
  bool running() const { return running_.load(); }

  // "02.jpg" ... "09.jpg", then "10.jpg", "11.jpg", ...: the file of the
  // slide that follows |count| slides.
  static std::wstring SlideFileName(size_t count);

 private:
  static unsigned __stdcall ThreadMain(void* self);
  void Run();
  bool DownloadNextSlide(size_t count);

  const std::wstring folder_url_;
  // Server slides have twice the pixels of the logical slide.
  const double decode_factor_;
  const std::unique_ptr<SlideFetcher> fetcher_;
  mutable SRWLOCK list_lock_ = SRWLOCK_INIT;
  std::vector<ResourceBitmap> images_;
  std::atomic<bool> running_{true};
  ScopedHandle thread_;
};

}  // namespace lite

#endif  // LITE_UI_SLIDE_DOWNLOADER_H_
