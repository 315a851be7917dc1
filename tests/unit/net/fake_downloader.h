#ifndef LITE_TESTS_UNIT_NET_FAKE_DOWNLOADER_H_
#define LITE_TESTS_UNIT_NET_FAKE_DOWNLOADER_H_

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "net/download_sink.h"
#include "net/downloader.h"

namespace lite {

// A clock the loops read through their tick-count seam.
struct FakeClock {
  static DWORD now;
  static DWORD Now() { return now; }
};
inline DWORD FakeClock::now = 0;

// Stands in for the network steps: each chunk writes its bytes into the
// sink and moves the fake clock on.
class FakeDownloader : public Downloader {
 public:
  struct Chunk {
    uint32_t bytes;
    DWORD elapse_ms;  // clock advance while the chunk arrives
  };

  bool open_result = true;
  std::string open_stage;  // set by a failing open
  uint32_t content_length_after_first_chunk = 0;
  std::vector<Chunk> chunks;
  bool finalize_result = true;
  HANDLE event_to_set_after_first_chunk = nullptr;
  std::wstring redirect_to;

  int open_calls = 0;
  int read_calls = 0;
  int finalize_calls = 0;
  std::wstring opened_url;

  bool OpenDownload(const std::wstring& url, DownloadSink* sink) override {
    ++open_calls;
    opened_url = url;
    set_sink(sink);
    set_redirect_url(redirect_to);
    if (!open_result) {
      set_error_stage(open_stage);
      mutable_fault()->code = 0xC06D007E;
    }
    return open_result;
  }

  uint32_t ReadChunk() override {
    if (static_cast<size_t>(read_calls) >= chunks.size()) {
      ++read_calls;
      return 0;
    }
    const Chunk chunk = chunks[read_calls++];
    FakeClock::now += chunk.elapse_ms;
    const std::vector<uint8_t> data(chunk.bytes, static_cast<uint8_t>('a' + read_calls % 26));
    if (chunk.bytes) sink()->Write(data.data(), chunk.bytes);
    set_content_length(content_length_after_first_chunk);
    if (read_calls == 1 && event_to_set_after_first_chunk) {
      ::SetEvent(event_to_set_after_first_chunk);
    }
    return chunk.bytes;
  }

  bool FinalizeDownload(int* status) override {
    ++finalize_calls;
    if (!finalize_result) set_error_stage("final_query_info-404-0");
    return finalize_result;
  }
};

}  // namespace lite

#endif  // LITE_TESTS_UNIT_NET_FAKE_DOWNLOADER_H_
