#include "net/async_install_tasks.h"

#include <process.h>

#include <jansson.h>

#include <cstdio>
#include <utility>

#include "base/base64.h"
#include "base/debug_log.h"
#include "base/file_util.h"
#include "base/json_reader.h"
#include "config/brand_info.h"
#include "config/distrib_params.h"
#include "config/service_hosts.h"
#include "logging/log_record.h"
#include "logging/thread_boundary.h"
#include "net/downloader.h"
#include "net/string_download_sink.h"
#include "process/installer_command_line.h"
#include "process/switches.h"

namespace lite {
namespace {

enum class EntryTest { kEqualsOne, kNotEmpty };

// One row of the decision which paths are reserved.
struct AsyncTaskEntry {
  const char* key;
  const char* default_value;  // null: the row is off when the key is absent
  EntryTest test;
  std::wstring AsyncInstallTasks::*path;
  // A prefix per row: GetTempFileNameW may hand a just-deleted name out
  // again, so rows sharing one could end up with the same path.
  const wchar_t* prefix;
};

bool IsSignalled(HANDLE event) {
  return ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

// Keeps the unique name and nothing else: the setup program, not the
// installer, decides whether a file appears there.
std::wstring ReserveTempName(const std::wstring& folder, const wchar_t* prefix) {
  const std::wstring path = CreateTempFileIn(folder, prefix);
  if (!path.empty()) ::DeleteFileW(path.c_str());
  return path;
}

struct FileCloser {
  void operator()(FILE* file) const {
    if (std::fclose(file) != 0) LOG(ERROR, "operator()") << "Failed to close FILE";
  }
};
using ScopedFile = std::unique_ptr<FILE, FileCloser>;

void DownloadBundle(const AsyncInstallTasks::DownloaderFactory& factory, const std::string& url,
                    const std::wstring& path, HANDLE cancel_event, const char* failure) {
  std::unique_ptr<Downloader> downloader = factory();
  if (!downloader->DownloadToFile(url, path, cancel_event)) {
    DebugLog(std::string(failure) + downloader->error_stage());
  }
}

}  // namespace

AsyncInstallTasks::AsyncInstallTasks(const BrandInfo& brand_info, const DistribParams& params)
    : AsyncInstallTasks(brand_info, params, [] { return std::make_unique<Downloader>(); },
                        GetTempFolder()) {}

AsyncInstallTasks::AsyncInstallTasks(const BrandInfo& brand_info, const DistribParams& params,
                                     DownloaderFactory downloader_factory,
                                     std::wstring temp_folder)
    : cancel_event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  PrepareTasks(brand_info, params, downloader_factory, temp_folder);
  if (tasks_.empty()) return;
  // Without the event the worker could never be told to stop.
  if (!cancel_event_) {
    PLOG(ERROR, "InitializeThread") << "Failed to create event for async install tasks";
    return;
  }
  thread_.reset(reinterpret_cast<HANDLE>(
      ::_beginthreadex(nullptr, 0, &AsyncInstallTasks::ThreadMain, this, 0, nullptr)));
  if (!thread_) {
    PLOG(ERROR, "InitializeThread") << "Failed to create thread for async install tasks";
  }
}

AsyncInstallTasks::~AsyncInstallTasks() {
  if (thread_) {
    ::SetEvent(cancel_event_.get());
    ::WaitForSingleObject(thread_.get(), INFINITE);
  }
  // The webntp and wallpaper files stay: the browser keeps using them.
  DeleteFileIfNamed(variations_path_);
  DeleteFileIfNamed(abt_path_);
  DeleteFileIfNamed(server_config_path_);
}

void AsyncInstallTasks::PrepareTasks(const BrandInfo& brand_info, const DistribParams& params,
                                     const DownloaderFactory& factory,
                                     const std::wstring& temp_folder) {
  const AsyncTaskEntry kEntries[] = {
      {"vup", "1", EntryTest::kEqualsOne, &AsyncInstallTasks::variations_path_, L"vup"},
      {"abtup", "1", EntryTest::kEqualsOne, &AsyncInstallTasks::abt_path_, L"abt"},
      {"webntp", nullptr, EntryTest::kEqualsOne, &AsyncInstallTasks::webntp_path_, L"ntp"},
      {"scup", nullptr, EntryTest::kEqualsOne, &AsyncInstallTasks::server_config_path_, L"scb"},
      {"pwexp", nullptr, EntryTest::kNotEmpty, &AsyncInstallTasks::wallpaper_bundle_path_,
       L"pwb"},
  };
  for (const AsyncTaskEntry& entry : kEntries) {
    std::string value;
    if (!params.GetParam(entry.key, &value)) {
      if (!entry.default_value) continue;
      value = entry.default_value;
    }
    const bool on = entry.test == EntryTest::kEqualsOne ? value == "1" : !value.empty();
    if (on) this->*entry.path = ReserveTempName(temp_folder, entry.prefix);
  }

  const HANDLE cancel = cancel_event_.get();
  if (!variations_path_.empty()) {
    tasks_.push_back([factory, url = brand_info.GetVariationsRequestUrl(),
                      path = variations_path_, cancel] {
      DownloadAndSaveVariations(factory().get(), url, path, cancel);
    });
  }
  if (!abt_path_.empty()) {
    tasks_.push_back([factory, url = brand_info.GetAbtRequestUrl(), path = abt_path_, cancel] {
      DownloadAndSaveVariations(factory().get(), url, path, cancel);
    });
  }
  if (!server_config_path_.empty()) {
    tasks_.push_back([factory, brand_id = brand_info.brand_id,
                      partner_id = brand_info.partner_id, path = server_config_path_, cancel] {
      DownloadBundle(factory, GetServerConfigUrl(brand_id, partner_id), path, cancel,
                     "Failed to download server config bundle: ");
    });
  }
  if (!wallpaper_bundle_path_.empty() && !brand_info.preloaded_wallpapers_url.empty()) {
    std::string experiment;
    params.GetParam("pwexp", &experiment);
    tasks_.push_back([factory, url = brand_info.preloaded_wallpapers_url, experiment,
                      path = wallpaper_bundle_path_, cancel] {
      DownloadBundle(factory, url + experiment, path, cancel,
                     "Failed to download wallpaper bundle: ");
    });
  }
}

// static
unsigned __stdcall AsyncInstallTasks::ThreadMain(void* param) {
  RunAtThreadBoundary("AsyncInstallTasks::ThreadMain",
                      [param] { static_cast<AsyncInstallTasks*>(param)->RunTasks(); });
  return 0;
}

void AsyncInstallTasks::RunTasks() {
  for (const std::function<void()>& task : tasks_) {
    if (IsSignalled(cancel_event_.get())) break;
    task();
  }
}

void AsyncInstallTasks::AppendPathSwitches(InstallerCommandLine* command_line) const {
  const std::pair<const char*, const std::wstring*> switches[] = {
      {switches::kVariationsUpdatePath, &variations_path_},
      {switches::kAbtUpdatePath, &abt_path_},
      {switches::kWebntpPath, &webntp_path_},
      {switches::kServerConfigBundlePath, &server_config_path_},
      {switches::kPreloadedWallpaperBundlePath, &wallpaper_bundle_path_},
  };
  for (const auto& [name, path] : switches) {
    if (!path->empty()) command_line->AppendSwitch(name, *path);
  }
}

#if defined(LITE_TEST_HOOKS)
bool AsyncInstallTasks::WaitForTasksForTesting(DWORD timeout_ms) const {
  return !thread_ || ::WaitForSingleObject(thread_.get(), timeout_ms) == WAIT_OBJECT_0;
}
#endif

// static
bool AsyncInstallTasks::DownloadAndSaveVariations(const std::string& url,
                                                  const std::wstring& path,
                                                  HANDLE cancel_event) {
  Downloader downloader;
  return DownloadAndSaveVariations(&downloader, url, path, cancel_event);
}

// static
bool AsyncInstallTasks::DownloadAndSaveVariations(Downloader* downloader, const std::string& url,
                                                  const std::wstring& path,
                                                  HANDLE cancel_event) {
  constexpr char kFunction[] = "DownloadAndSaveVariations";
  std::string body;
  if (!downloader->DownloadToString(url, cancel_event, StringDownloadSink::kSeedLimit, &body)) {
    PLOG(ERROR, kFunction) << "Failed to download variations seed: "
                           << downloader->error_stage();
    return false;
  }
  const std::string signature = downloader->GetResponseHeader("X-Seed-Signature");
  if (signature.empty()) {
    LOG(ERROR, kFunction) << "Failed to get variations seed signature";
    return false;
  }
  const std::string last_modified = downloader->GetResponseHeader("Last-Modified");
  const std::string country = downloader->GetResponseHeader("X-Country");
  if (!SaveVariations(path, body, signature, last_modified, country)) {
    LOG(ERROR, kFunction) << "Failed to save variations in " << path;
    return false;
  }
  LOG(INFO, kFunction) << "Variations are saved in " << path;
  return true;
}

// static
bool AsyncInstallTasks::SaveVariations(const std::wstring& path, const std::string& body,
                                       const std::string& signature,
                                       const std::string& last_modified,
                                       const std::string& country) {
  constexpr char kFunction[] = "SaveVariations";
  ScopedJson object(json_object());
  if (!object) return false;
  const std::pair<const char*, std::string> members[] = {
      {"variations_seed_base64", EncodeBase64(body)},
      {"variations_seed_signature", signature},
      {"variations_last_modified_time", last_modified},
      {"variations_country", country},
  };
  for (const auto& [name, value] : members) {
    // json_stringn refuses text that is not valid UTF-8.
    if (json_object_set_new(object.get(), name, json_stringn(value.data(), value.size())) != 0) {
      LOG(ERROR, kFunction) << "Failed to serialize variations value " << name << ": " << value;
      return false;
    }
  }

  ScopedFile file(::_wfopen(path.c_str(), L"w+b"));
  if (!file) {
    LOG(ERROR, kFunction) << "Failed to open variations file " << path;
    return false;
  }
  // No indent: one line with ", " and ": " between the parts.
  int error = json_dumpf(object.get(), file.get(), JSON_PRESERVE_ORDER);
  // A full disk often shows only when the buffer is flushed; that must not
  // pass for a saved file.
  if (error == 0 && std::fflush(file.get()) != 0) error = -1;
  if (error != 0) {
    LOG(ERROR, kFunction) << "Failed to save downloaded variations update to " << path
                          << " error=" << error;
    return false;
  }
  return true;
}

// static
std::string AsyncInstallTasks::GetServerConfigUrl(const std::string& brand_id,
                                                  const std::string& partner_id) {
  std::string query;
  if (!brand_id.empty()) query = "brandID=" + brand_id;
  if (!partner_id.empty()) {
    if (!query.empty()) query += "&";
    query += "partnerID=" + partner_id;
  }
  std::string url = std::string(kApiOrigin) + "/configs/all_zip";
  if (!query.empty()) url += "?" + query;
  return url;
}

}  // namespace lite
