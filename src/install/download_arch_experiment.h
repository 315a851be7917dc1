#ifndef LITE_INSTALL_DOWNLOAD_ARCH_EXPERIMENT_H_
#define LITE_INSTALL_DOWNLOAD_ARCH_EXPERIMENT_H_

#include <cstdint>

namespace lite {

class DistribParams;
class InstallerCommandLine;

// Which build of the browser to try first on a 64-bit machine. The choice
// is drawn once per user and kept in the browser's registry key, so that
// later runs of any installer repeat it; a failed try turns it off.
class DownloadArchExperiment {
 public:
  enum Architecture : uint32_t {
    kNone = 0,
    kX64 = 1,
    kX32 = 2,
  };
  // The stored state, as decimal text in "try_x64".
  enum State : uint32_t {
    kStateUseX32 = 0,
    kStateUseX64 = 1,
    kStateDisabled = 2,
  };

  static constexpr char kName[] = "try_x64";
  static constexpr wchar_t kRegistryValue[] = L"try_x64";
  static constexpr char kRamParam[] = "x64_ram";

  DownloadArchExperiment();
  DownloadArchExperiment(const DownloadArchExperiment&) = delete;
  DownloadArchExperiment& operator=(const DownloadArchExperiment&) = delete;
  virtual ~DownloadArchExperiment();

  // Picks the architecture from the stored state or, for a first run, by a
  // draw among machines with enough memory.
  void AdjustDownloadUrl(const DistribParams& distrib_params);
  // "download-x64" or "download-x32" force a build; true when one did.
  bool ApplyCommandLineOverride(const InstallerCommandLine& command_line);
  // Records how the selected build's download went.
  void ConfigurateRegistry(bool first_source_succeeded);

  Architecture architecture() const { return architecture_; }

 protected:
  // 0 or 1 from the system's cryptographic generator; false on failure.
  virtual bool DrawRandomBit(uint32_t* bit);

 private:
  Architecture architecture_ = kNone;
};

}  // namespace lite

#endif  // LITE_INSTALL_DOWNLOAD_ARCH_EXPERIMENT_H_
