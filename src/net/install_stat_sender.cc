#include "net/install_stat_sender.h"

#include <windows.h>
#include <shlwapi.h>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "config/service_hosts.h"
#include "config/user_id.h"
#include "logging/log_record.h"
#include "net/install_stat_text.h"
#include "system/file_version.h"
#include "system/installer_type_names.h"
#include "system/registry_helpers.h"
#include "system/registry_values.h"

namespace lite {
namespace {

constexpr ExtendedStatTarget kExtendedStatTargets[] = {
    {72992, "extended_stat"},
    {72696, "zlbrowser_reinstall_dialog"},
    {72696, "zlbrowser_pf_migration"},
    {72924, "zombo_window"},
};

// The escape buffer of the vars text; a longer result counts as a failure.
constexpr DWORD kEscapeBufferChars = 2084;

std::wstring EscapeSegment(const std::wstring& text) {
  wchar_t buffer[kEscapeBufferChars];
  DWORD size = kEscapeBufferChars;
  if (FAILED(::UrlEscapeW(text.c_str(), buffer, &size, URL_ESCAPE_SEGMENT_ONLY))) {
    return std::wstring();
  }
  return std::wstring(buffer, ::wcsnlen(buffer, kEscapeBufferChars));
}

// Whether the browser's setup that an earlier installer started is still
// running: it keeps an event named after its command line.
bool WasLaunched() {
  const std::wstring command_line = ReadBrowserValue(kRegValueInstallerSuccessLaunchCmdLine);
  if (command_line.size() <= 2) return false;
  const std::wstring name = InstallStatSender::LaunchEventName(command_line);
  ScopedHandle event(::OpenEventW(SYNCHRONIZE, FALSE, name.c_str()));
  return event.is_valid();
}

std::string UserIdWithoutBraces() {
  std::string id = GetUserIdInternal();
  if (!id.empty() && id.front() == '{') id.erase(0, 1);
  if (!id.empty() && id.back() == '}') id.pop_back();
  return id;
}

std::string InstallerTypeText(int installer_type, int target_type) {
  return installer_type == InstallStatSender::kInstallerTypeNone
             ? AltInstallerTypeName(target_type)
             : InstallerTypeName(installer_type);
}

}  // namespace

const ExtendedStatTarget* GetExtendedStatTarget(int row) {
  if (row < 0 || row >= static_cast<int>(std::size(kExtendedStatTargets))) return nullptr;
  return &kExtendedStatTargets[row];
}

InstallStatSender::InstallStatSender(int target_type, int installer_type,
                                     const std::wstring& saved_text,
                                     const StatisticsParameters& initial_parameters,
                                     int table_row)
    : target_type_(target_type),
      installer_type_(installer_type),
      parameters_(initial_parameters),
      table_row_(GetExtendedStatTarget(table_row) ? table_row : kStatTargetInstaller) {
  if (!saved_text.empty()) {
    for (auto& [key, value] : ParseInstallStatText(saved_text)) parameters_[key] = value;
  }
  parameters_["launched"] = WasLaunched() ? L"true" : L"false";
  parameters_["ui"] = UTF8ToWide(UserIdWithoutBraces());
  if (parameters_.find("old_ver") == parameters_.end()) {
    std::wstring old_version = ReadBrowserValue(kRegValueZpv);
    if (old_version.empty()) old_version = ReadBrowserValue(kRegValuePv);
    parameters_["old_ver"] = old_version;
  }
  const char* version_key = installer_type == kInstallerTypeUpdater ? "ver" : "lite_ver";
  parameters_[version_key] = UTF8ToWide(GetFileVersionString(GetExecutablePath()));
  parameters_["installer_type"] = UTF8ToWide(InstallerTypeText(installer_type, target_type));
}

InstallStatSender::~InstallStatSender() {
  if (installer_type_ < kInstallerTypeUpdater) RemoveBrowserValue(kRegValueInstallStat);
}

// static
std::wstring InstallStatSender::LaunchEventName(const std::wstring& command_line) {
  std::wstring name = command_line;
  if (!name.empty() && name.front() == L'"') name.erase(0, 1);
  if (!name.empty() && name.back() == L'"') name.pop_back();
  for (wchar_t& c : name) {
    if (c == L'\\') c = L'!';
  }
  if (!name.empty()) ::CharLowerBuffW(&name[0], static_cast<DWORD>(name.size()));
  return L"Global\\" + name;
}

void InstallStatSender::SetParameter(const std::string& name, const std::string& value) {
  std::lock_guard<std::mutex> hold(lock_);
  parameters_[name] = UTF8ToWide(value);
}

std::wstring InstallStatSender::GetOldVersion() const {
  std::lock_guard<std::mutex> hold(lock_);
  const auto found = parameters_.find("old_ver");
  return found == parameters_.end() ? std::wstring() : found->second;
}

bool InstallStatSender::StoreInRegistry() const {
  return StoreBrowserValue(kRegValueInstallStat, FormatInstallStatText(parameters()));
}

void InstallStatSender::SetTableRow(int row) {
  if (!GetExtendedStatTarget(row)) {
    LOG(WARNING, "SetTableRow") << "No statistics target for row " << row;
    return;
  }
  std::lock_guard<std::mutex> hold(lock_);
  table_row_ = row;
}

int InstallStatSender::table_row() const {
  std::lock_guard<std::mutex> hold(lock_);
  return table_row_;
}

StatisticsParameters InstallStatSender::parameters() const {
  std::lock_guard<std::mutex> hold(lock_);
  return parameters_;
}

std::wstring InstallStatSender::GetQueryUrl(const StatisticsEvent& event) const {
  StatisticsParameters merged = parameters();
  // insert() keeps what is there: a standing parameter wins over an event
  // value of the same name.
  merged.insert(event.begin(), event.end());
  if (installer_type_ == kInstallerTypeNone) {
    merged.insert({"old_style", L"1"});
  } else {
    if (target_type_ != 0) merged.insert({"target", UTF8ToWide(AltInstallerTypeName(target_type_))});
    merged.insert({"old_style", L"0"});
  }
  merged.insert({"brand_id", L"unknown"});

  LOG(INFO, "GetQueryUrl") << "InstallStatSender::Send:";
  std::wstring vars;
  for (const auto& [key, value] : merged) {
    LOG(INFO, "GetQueryUrl") << key << "=" << value;
    const std::wstring escaped_key = EscapeSegment(ReplaceVarsSeparators(UTF8ToWide(key)));
    const std::wstring escaped_value = EscapeSegment(ReplaceVarsSeparators(value));
    if (!vars.empty()) vars += L",";
    vars += L"-" + escaped_key + L"=" + escaped_value;
  }

  const ExtendedStatTarget* target = GetExtendedStatTarget(table_row());
  std::wstring url = UTF8ToWide(kStatisticsOrigin);
  url += L"/installstats/send/dtype=stred/pid=457/cid=" + std::to_wstring(target->counter_id) +
         L"/path=" + UTF8ToWide(target->path);
  if (!vars.empty()) url += L"/vars=" + vars;
  url += L"/*";
  return url;
}

}  // namespace lite
