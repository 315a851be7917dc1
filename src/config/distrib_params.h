#ifndef LITE_CONFIG_DISTRIB_PARAMS_H_
#define LITE_CONFIG_DISTRIB_PARAMS_H_

#include <string>

#include "config/distrib_params_text.h"

namespace lite {

class BrandInfo;
class InstallerCommandLine;

// The installer tag as a dictionary, built once at start-up and read-only
// afterwards. Also handed on to the setup program as "distrib_info".
class DistribParams {
 public:
  DistribParams();
  DistribParams(const DistribParams&) = delete;
  DistribParams& operator=(const DistribParams&) = delete;
  virtual ~DistribParams();

  virtual bool GetParam(const std::string& key, std::string* value) const;

  // Reads the parameters from "distr-info-params", the certificate tag or
  // the appended block, in that order; stores the raw text in the registry
  // and writes the JSON dump into |temporary_folder|. Returns whether there
  // were parameters (and so a dump path).
  bool Initialize(const InstallerCommandLine& command_line, const std::wstring& temporary_folder);

  // "1" gives true, "2" false; anything else is not present.
  bool GetBoolParam(const std::string& key, bool* value) const;
  // Present and exactly "1".
  bool IsParamOne(const std::string& key) const;

  bool IsRetryAfterFailedInstall() const;
  bool GetMakeDefault(bool* value) const;
  bool UseAlternativeMirraWording() const;
  bool GetStatistics(bool* value) const;
  bool GetMirraShortcut(bool* value) const;
  bool StartAtOnce() const;
  bool ShowCancelButton() const;
  bool UseTaskScheduler() const;
  // 0, 1 or 2: how the installation asks for elevation.
  int GetElevationMode(const InstallerCommandLine& command_line) const;

  const std::wstring& dump_path() const { return dump_path_; }
  const DistribParamsMap& params() const { return params_; }

 protected:
  // Seams of the initialisation.
  virtual void StoreRawParams(const std::string& text);
  virtual std::wstring GetTaggedFilePath();

 private:
  std::wstring dump_path_;
  DistribParamsMap params_;
};

// The browser's download page for this channel, carrying the pass-through
// parameters; the error dialogs offer it.
std::string BuildDownloadPageUrl(const BrandInfo& brand_info, const DistribParams& params);

}  // namespace lite

#endif  // LITE_CONFIG_DISTRIB_PARAMS_H_
