#include "net/installer_statistics.h"

#include "net/install_stat_sender.h"
#include "system/registry_helpers.h"
#include "system/registry_values.h"

namespace lite {
namespace {

const char* ParameterName(int index) {
  switch (index) {
    case kStatParamBrandId:
      return "brand_id";
    case kStatParamPartnerId:
      return "partner_id";
    case kStatParamBannerId:
      return "banner_id";
    case kStatParamZelmarUid:
      return "zelmar_uid";
    case kStatParamDistrZelmarUid:
      return "distr_zelmar_uid";
    case kStatParamNewVer:
      return "new_ver";
    case kStatParamInstallType:
      return "install_type";
    case kStatParamMirra:
      return "mirra";
    default:
      return nullptr;
  }
}

}  // namespace

InstallerStatistics::InstallerStatistics()
    : InstallerStatistics(&AsyncHttpSender::SendUrl) {}

InstallerStatistics::InstallerStatistics(AsyncHttpSender::SendFunction send)
    : install_stat_sender_(std::make_unique<InstallStatSender>(
          0, InstallStatSender::kInstallerTypeLite, ReadBrowserValue(kRegValueInstallStat),
          StatisticsParameters(), kStatTargetInstaller)),
      http_sender_(std::make_unique<AsyncHttpSender>(send)) {}

InstallerStatistics::~InstallerStatistics() {
  // The sender thread may still be sending; it goes first.
  http_sender_.reset();
  install_stat_sender_.reset();
}

void InstallerStatistics::SetParameter(int index, const std::string& value) {
  if (const char* name = ParameterName(index)) install_stat_sender_->SetParameter(name, value);
}

std::wstring InstallerStatistics::GetParameter(int index) const {
  if (index != kStatParamOldVer) return std::wstring();
  return install_stat_sender_->GetOldVersion();
}

void InstallerStatistics::SendEvent(const StatisticsEvent& event) {
  SendWithRow(kStatTargetInstaller, event);
}

void InstallerStatistics::SendDialogEvent(const StatisticsEvent& event) {
  SendWithRow(kStatTargetReinstallDialog, event);
}

void InstallerStatistics::SendWithRow(int row, const StatisticsEvent& event) {
  std::wstring url;
  {
    std::lock_guard<std::mutex> hold(row_lock_);
    install_stat_sender_->SetTableRow(row);
    url = install_stat_sender_->GetQueryUrl(event);
  }
  http_sender_->Send(url);
}

bool InstallerStatistics::StoreInRegistry() {
  return install_stat_sender_->StoreInRegistry();
}

}  // namespace lite
