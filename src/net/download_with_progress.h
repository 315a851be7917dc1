#ifndef LITE_NET_DOWNLOAD_WITH_PROGRESS_H_
#define LITE_NET_DOWNLOAD_WITH_PROGRESS_H_

#include <windows.h>

#include <cstdint>
#include <string>

#include "net/download_clock.h"
#include "system/guarded_call.h"

namespace lite {

class DownloadProgressObserver;
class DownloadSink;
class Downloader;

// Everything but |url| and |sink| may be null.
struct DownloadWithProgressResult {
  std::string* error_stage = nullptr;
  std::wstring* redirect_url = nullptr;
  uint32_t* content_length = nullptr;
  GuardedCallFault* fault = nullptr;
};

// Downloads |url| into |sink|, reporting progress fractions after every
// chunk and a time-left estimate at most once a minute. Stops with false
// when |cancel_event| is signalled.
bool DownloadWithProgress(const std::wstring& url, DownloadSink* sink, std::string* error_stage,
                          std::wstring* redirect_url, uint32_t* content_length,
                          HANDLE cancel_event, DownloadProgressObserver* observer,
                          GuardedCallFault* fault);

// The same loop over a given downloader and clock, for tests.
bool DownloadWithProgressUsing(Downloader* downloader, TickCountFunction tick_count,
                               const std::wstring& url, DownloadSink* sink,
                               HANDLE cancel_event, DownloadProgressObserver* observer,
                               const DownloadWithProgressResult& out);

}  // namespace lite

#endif  // LITE_NET_DOWNLOAD_WITH_PROGRESS_H_
