#include "net/download_with_progress.h"

#include "net/download_progress_observer.h"
#include "net/download_sink.h"
#include "net/downloader.h"

namespace lite {
namespace {

constexpr DWORD kEstimateIntervalMs = 60000;
constexpr uint64_t kSlowDownloadSeconds = 120;

}  // namespace

bool DownloadWithProgress(const std::wstring& url, DownloadSink* sink, std::string* error_stage,
                          std::wstring* redirect_url, uint32_t* content_length,
                          HANDLE cancel_event, DownloadProgressObserver* observer,
                          GuardedCallFault* fault) {
  Downloader downloader;
  return DownloadWithProgressUsing(&downloader, &SystemTickCount, url, sink, cancel_event,
                                   observer, {error_stage, redirect_url, content_length, fault});
}

bool DownloadWithProgressUsing(Downloader* downloader, TickCountFunction tick_count,
                               const std::wstring& url, DownloadSink* sink,
                               HANDLE cancel_event, DownloadProgressObserver* observer,
                               const DownloadWithProgressResult& out) {
  bool result = false;
  if (!downloader->OpenDownload(url, sink)) {
    if (out.fault) *out.fault = downloader->fault();
  } else {
    if (observer && sink->size() == 0) {
      observer->SetProgress(0.0f);
      observer->SetTimeLeft(-1, kTimeLeftNotEstimated);
    }
    const DWORD start = tick_count();
    DWORD last_estimate = 0;
    for (;;) {
      if (IsCancelRequested(cancel_event)) {
        result = false;
        break;
      }
      if (downloader->ReadChunk() == 0) {
        result = downloader->FinalizeDownload(nullptr);
        if (observer && result) {
          observer->SetProgress(1.0f);
          observer->SetTimeLeft(0, kTimeLeftFinished);
        }
        break;
      }
      const DWORD now = tick_count();
      const uint32_t total = downloader->content_length();
      if (total == 0) continue;
      const uint32_t received = sink->size();
      // A server that sends more than it announced must not push the bar
      // past the end or wrap the estimate below.
      const uint32_t counted = received < total ? received : total;
      if (observer) {
        observer->SetProgress(static_cast<float>(counted) / static_cast<float>(total));
      }
      if (received == 0) continue;
      const DWORD elapsed = now - start;
      if (elapsed - last_estimate < kEstimateIntervalMs) continue;
      const uint64_t remaining_ms =
          static_cast<uint64_t>(elapsed) * (total - counted) / received;
      const uint64_t remaining_seconds = remaining_ms / 1000;
      last_estimate = elapsed;
      if (observer) {
        if (elapsed / 1000 + remaining_seconds > kSlowDownloadSeconds) observer->OnSlowDownload();
        observer->SetTimeLeft(static_cast<int>(remaining_seconds), kTimeLeftEstimate);
      }
    }
  }
  if (out.error_stage) *out.error_stage = downloader->error_stage();
  if (out.redirect_url) *out.redirect_url = downloader->redirect_url();
  if (out.content_length) *out.content_length = downloader->content_length();
  return result;
}

}  // namespace lite
