#ifndef LITE_NET_ASYNC_INSTALL_TASKS_H_
#define LITE_NET_ASYNC_INSTALL_TASKS_H_

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/scoped_handle.h"

namespace lite {

class BrandInfo;
class DistribParams;
class Downloader;
class InstallerCommandLine;

// Fetches the browser's first-start data (variations and ABT seeds, the
// server configuration and wallpaper bundles) one after another on a worker
// thread, into temporary files whose names are reserved up front so that
// the setup command line can name them whether or not the downloads have
// finished. Destruction cancels the worker, waits for it and removes the
// files the setup program only reads once.
class AsyncInstallTasks {
 public:
  // Makes the downloader for one task; every task gets its own.
  using DownloaderFactory = std::function<std::unique_ptr<Downloader>()>;

  AsyncInstallTasks(const BrandInfo& brand_info, const DistribParams& params);
  // For tests: other downloaders, and another folder for the reserved
  // names (it must end in a backslash, as GetTempFolder's does).
  AsyncInstallTasks(const BrandInfo& brand_info, const DistribParams& params,
                    DownloaderFactory downloader_factory, std::wstring temp_folder);
  AsyncInstallTasks(const AsyncInstallTasks&) = delete;
  AsyncInstallTasks& operator=(const AsyncInstallTasks&) = delete;
  ~AsyncInstallTasks();

  // Empty when the task is off.
  const std::wstring& variations_path() const { return variations_path_; }
  const std::wstring& abt_path() const { return abt_path_; }
  const std::wstring& webntp_path() const { return webntp_path_; }
  const std::wstring& server_config_path() const { return server_config_path_; }
  const std::wstring& wallpaper_bundle_path() const { return wallpaper_bundle_path_; }

  // Adds "variations-update-path" and the other path switches for every
  // path that is set.
  void AppendPathSwitches(InstallerCommandLine* command_line) const;

#if defined(LITE_TEST_HOOKS)
  // Blocks until every queued task has run; true at once when there is no
  // worker. Tests use it to look at the files before teardown removes them.
  bool WaitForTasksForTesting(DWORD timeout_ms) const;
#endif

  // Fetches a seed and stores it with its headers as one JSON line.
  static bool DownloadAndSaveVariations(const std::string& url, const std::wstring& path,
                                        HANDLE cancel_event);
  static bool DownloadAndSaveVariations(Downloader* downloader, const std::string& url,
                                        const std::wstring& path, HANDLE cancel_event);
  static bool SaveVariations(const std::wstring& path, const std::string& body,
                             const std::string& signature, const std::string& last_modified,
                             const std::string& country);

  // The API service's configuration bundle URL for a brand and partner
  // (either may be empty); values go in as they are.
  static std::string GetServerConfigUrl(const std::string& brand_id,
                                        const std::string& partner_id);

 private:
  static unsigned __stdcall ThreadMain(void* param);
  void PrepareTasks(const BrandInfo& brand_info, const DistribParams& params,
                    const DownloaderFactory& factory, const std::wstring& temp_folder);
  void RunTasks();

  std::wstring variations_path_;
  std::wstring abt_path_;
  std::wstring webntp_path_;
  std::wstring server_config_path_;
  std::wstring wallpaper_bundle_path_;
  ScopedHandle thread_;
  ScopedHandle cancel_event_;
  std::vector<std::function<void()>> tasks_;

};

}  // namespace lite

#endif  // LITE_NET_ASYNC_INSTALL_TASKS_H_
