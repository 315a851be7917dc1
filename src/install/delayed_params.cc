#include "install/delayed_params.h"

#include <windows.h>

#include "base/file_util.h"
#include "base/string_conversion.h"
#include "logging/log_record.h"
#include "process/installer_command_line.h"
#include "process/shared_sections.h"
#include "process/switches.h"

namespace lite {
namespace {

namespace layout = delayed_params_layout;

constexpr char kWriteFunction[] = "WriteDelayedParams";

static_assert(layout::kHistogramDownloadTime == 4176, "record layout");
static_assert(layout::kSendStatistics == 4308, "record layout");
static_assert(layout::kSharedErrorCode == 4312, "record layout");
static_assert(layout::kRecordSize <= kDelayedParamsSize, "record fits the section");

// Another process of the image may read the bytes: copy them one by one
// through the volatile view rather than let the compiler cache anything.
void StoreString(size_t offset, const std::wstring& text) {
  volatile uint8_t* out = DelayedParamsStorage() + offset;
  for (size_t i = 0; i <= text.size(); ++i) {
    const wchar_t c = i < text.size() ? text[i] : L'\0';
    out[2 * i] = static_cast<uint8_t>(c & 0xFF);
    out[2 * i + 1] = static_cast<uint8_t>((c >> 8) & 0xFF);
  }
}

// Reads up to the terminator, never beyond the field even if another writer
// left it unterminated.
std::wstring LoadString(size_t offset, size_t max_chars) {
  const volatile uint8_t* in = DelayedParamsStorage() + offset;
  std::wstring text;
  for (size_t i = 0; i < max_chars; ++i) {
    const wchar_t c = static_cast<wchar_t>(in[2 * i] | (in[2 * i + 1] << 8));
    if (c == L'\0') break;
    text.push_back(c);
  }
  return text;
}

size_t PathOffset(int index) {
  return static_cast<size_t>(index) * layout::kPathFieldBytes;
}

}  // namespace

bool WriteDelayedParams(const std::wstring& browser_arc_path, const std::wstring& clids_file_path,
                        const std::wstring& clids_searchband_file_path,
                        const std::wstring& zelmar_website_icon_file_path,
                        const std::wstring& installer_data_path,
                        const std::wstring& brand_package_path,
                        const std::wstring& partner_package_path,
                        const std::wstring& partner_package_override_path,
                        const std::wstring& histogram_download_time,
                        const std::wstring& histogram_full_time, bool send_statistics,
                        bool make_default, bool create_mirra_shortcut) {
  const std::wstring* paths[] = {
      &browser_arc_path,    &clids_file_path,      &clids_searchband_file_path,
      &zelmar_website_icon_file_path, &installer_data_path, &brand_package_path,
      &partner_package_path, &partner_package_override_path,
  };
  bool fits = histogram_download_time.size() < DelayedParams::kTimeChars &&
              histogram_full_time.size() < DelayedParams::kTimeChars;
  for (const std::wstring* path : paths) fits = fits && path->size() < DelayedParams::kPathChars;
  if (!fits) {
    PLOG(ERROR, kWriteFunction)
        << "Too large string length,"
        << " browser_arc_path=" << WideToUTF8(browser_arc_path)
        << " clids_file_path=" << WideToUTF8(clids_file_path)
        << " clids_searchband_file_path=" << WideToUTF8(clids_searchband_file_path)
        << " zelmar_website_icon_file_path=" << WideToUTF8(zelmar_website_icon_file_path)
        << " installer_data_path=" << WideToUTF8(installer_data_path)
        << " brand_package_path=" << WideToUTF8(brand_package_path)
        << " partner_package_path=" << WideToUTF8(partner_package_path)
        << " partner_package_override_path=" << WideToUTF8(partner_package_override_path)
        << " histogram_download_time=" << WideToUTF8(histogram_download_time)
        << " histogram_full_time=" << WideToUTF8(histogram_full_time)
        << " send_statistics=" << (send_statistics ? 1 : 0)
        << " make_default=" << (make_default ? 1 : 0)
        << " create_mirra_shortcut=" << (create_mirra_shortcut ? 1 : 0);
    return false;
  }
  for (int i = 0; i < 8; ++i) StoreString(PathOffset(i), *paths[i]);
  StoreString(layout::kHistogramDownloadTime, histogram_download_time);
  StoreString(layout::kHistogramFullTime, histogram_full_time);
  volatile uint8_t* storage = DelayedParamsStorage();
  storage[layout::kSendStatistics] = send_statistics ? 1 : 0;
  storage[layout::kMakeDefault] = make_default ? 1 : 0;
  storage[layout::kCreateMirraShortcut] = create_mirra_shortcut ? 1 : 0;
  return true;
}

DelayedParams DelayedParams::Read() {
  DelayedParams params;
  std::wstring* paths[] = {
      &params.browser_arc_path,     &params.clids_file_path,
      &params.clids_searchband_file_path, &params.zelmar_website_icon_file_path,
      &params.installer_data_path,  &params.brand_package_path,
      &params.partner_package_path, &params.partner_package_override_path,
  };
  for (int i = 0; i < 8; ++i) *paths[i] = LoadString(PathOffset(i), kPathChars);
  params.histogram_download_time = LoadString(layout::kHistogramDownloadTime, kTimeChars);
  params.histogram_full_time = LoadString(layout::kHistogramFullTime, kTimeChars);
  const volatile uint8_t* storage = DelayedParamsStorage();
  params.send_statistics = storage[layout::kSendStatistics] != 0;
  params.make_default = storage[layout::kMakeDefault] != 0;
  params.create_mirra_shortcut = storage[layout::kCreateMirraShortcut] != 0;
  return params;
}

void DelayedParams::AmendSetupCommandLine(InstallerCommandLine* command_line) const {
  if (!browser_arc_path.empty()) command_line->SetProgram(browser_arc_path);
  const struct {
    const std::wstring& value;
    const char* name;
  } replacements[] = {
      {installer_data_path, switches::kInstallerData},
      {clids_file_path, switches::kClidsFile},
      {clids_searchband_file_path, switches::kClidsSearchbandFile},
      {zelmar_website_icon_file_path, switches::kZelmarWebsiteIconFile},
      {brand_package_path, switches::kBrandPackage},
      {partner_package_path, switches::kPartnerPackage},
      {partner_package_override_path, switches::kOverridePartnerPackage},
      {histogram_full_time, switches::kInstallStartTimeNoUac},
  };
  for (const auto& replacement : replacements) {
    if (replacement.value.empty()) continue;
    // The setup cannot use an icon file that is missing or empty.
    if (&replacement.value == &zelmar_website_icon_file_path &&
        ReadWholeFile(zelmar_website_icon_file_path).empty()) {
      continue;
    }
    command_line->AppendSwitch(replacement.name, replacement.value);
  }
  command_line->SetOrRemoveSwitch(send_statistics, switches::kSendStatistics);
  command_line->SetOrRemoveSwitch(make_default, switches::kMakeBrowserDefaultAfterImport);
  command_line->SetOrRemoveSwitch(create_mirra_shortcut, switches::kCreateMirraShortcutInTaskbar);
  command_line->AppendSwitch(switches::kHistogramDownloadTime, histogram_download_time);
}

int32_t GetSharedErrorCode() {
  return ::InterlockedCompareExchange(
      reinterpret_cast<volatile LONG*>(DelayedParamsStorage() + layout::kSharedErrorCode), 0, 0);
}

void SetSharedErrorCode(int32_t code) {
  ::InterlockedExchange(
      reinterpret_cast<volatile LONG*>(DelayedParamsStorage() + layout::kSharedErrorCode), code);
}

}  // namespace lite
