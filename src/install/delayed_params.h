#ifndef LITE_INSTALL_DELAYED_PARAMS_H_
#define LITE_INSTALL_DELAYED_PARAMS_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace lite {

class InstallerCommandLine;

// What the non-elevated installer hands its elevated instance once the
// installation starts. It lives at the start of the "Shared" image section,
// so both processes of the same executable see the same bytes; the go event
// of the elevated flow is the only ordering between writer and reader.
struct DelayedParams {
  static constexpr size_t kPathChars = 261;  // 260 + terminator
  static constexpr size_t kTimeChars = 33;   // 32 + terminator

  std::wstring browser_arc_path;
  std::wstring clids_file_path;
  std::wstring clids_searchband_file_path;
  std::wstring zelmar_website_icon_file_path;
  std::wstring installer_data_path;
  std::wstring brand_package_path;
  std::wstring partner_package_path;
  std::wstring partner_package_override_path;
  std::wstring histogram_download_time;
  std::wstring histogram_full_time;
  bool send_statistics = false;
  bool make_default = false;
  bool create_mirra_shortcut = false;

  // The record as it stands in the shared section.
  static DelayedParams Read();

  // Amends the setup command line the elevated instance was given.
  void AmendSetupCommandLine(InstallerCommandLine* command_line) const;
};

// Byte offsets inside the shared section.
namespace delayed_params_layout {
inline constexpr size_t kPathFieldBytes = DelayedParams::kPathChars * 2;  // 522
inline constexpr size_t kTimeFieldBytes = DelayedParams::kTimeChars * 2;  // 66
inline constexpr size_t kHistogramDownloadTime = 8 * kPathFieldBytes;     // 4176
inline constexpr size_t kHistogramFullTime = kHistogramDownloadTime + kTimeFieldBytes;
inline constexpr size_t kSendStatistics = kHistogramFullTime + kTimeFieldBytes;  // 4308
inline constexpr size_t kMakeDefault = kSendStatistics + 1;
inline constexpr size_t kCreateMirraShortcut = kSendStatistics + 2;
inline constexpr size_t kSharedErrorCode = kSendStatistics + 4;  // 4312
inline constexpr size_t kRecordSize = kSharedErrorCode + 4;
}  // namespace delayed_params_layout

// Fails, writing nothing, when a path is over 260 or a time text over 32
// characters. Leaves the shared error code alone.
bool WriteDelayedParams(const std::wstring& browser_arc_path, const std::wstring& clids_file_path,
                        const std::wstring& clids_searchband_file_path,
                        const std::wstring& zelmar_website_icon_file_path,
                        const std::wstring& installer_data_path,
                        const std::wstring& brand_package_path,
                        const std::wstring& partner_package_path,
                        const std::wstring& partner_package_override_path,
                        const std::wstring& histogram_download_time,
                        const std::wstring& histogram_full_time, bool send_statistics,
                        bool make_default, bool create_mirra_shortcut);

// Why the setup did not run, for whichever process asks after the run:
// 0 nothing, 4 machine type mismatch, 5 the setup exited with 7.
enum SharedErrorCode : int32_t {
  kSharedErrorNone = 0,
  kSharedErrorMachineTypeMismatch = 4,
  kSharedErrorAlreadyInstalled = 5,
};
int32_t GetSharedErrorCode();
void SetSharedErrorCode(int32_t code);

}  // namespace lite

#endif  // LITE_INSTALL_DELAYED_PARAMS_H_
