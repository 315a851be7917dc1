#ifndef LITE_NET_INSTALLER_STATISTICS_H_
#define LITE_NET_INSTALLER_STATISTICS_H_

#include <memory>
#include <mutex>
#include <string>

#include "net/async_http_sender.h"
#include "net/statistics_event.h"

namespace lite {

class InstallStatSender;

// Indexes of the standing parameters the installer sets and reads.
enum StatisticsParameterIndex : int {
  kStatParamBrandId = 0,
  kStatParamPartnerId = 1,
  kStatParamBannerId = 2,
  kStatParamZelmarUid = 3,
  kStatParamDistrZelmarUid = 4,
  kStatParamNewVer = 5,
  kStatParamOldVer = 6,  // read only
  kStatParamInstallType = 7,
  kStatParamMirra = 8,
};

// The installer's statistics: the standing parameters (restored from an
// "install_stat" value an interrupted run left) and a background sender.
// Events go out one by one in the order they are sent; sending never
// blocks the caller and failures are only logged.
class InstallerStatistics {
 public:
  InstallerStatistics();
  // Tests replace the network with |send|.
  explicit InstallerStatistics(AsyncHttpSender::SendFunction send);
  InstallerStatistics(const InstallerStatistics&) = delete;
  InstallerStatistics& operator=(const InstallerStatistics&) = delete;
  // Stops the sender thread (the request in progress completes, queued
  // events are dropped), then removes "install_stat".
  ~InstallerStatistics();

  // |value| is UTF-8. Indexes without a settable parameter are ignored.
  void SetParameter(int index, const std::string& value);
  // Only kStatParamOldVer has a value here; empty otherwise.
  std::wstring GetParameter(int index) const;

  // An installation event (path "extended_stat").
  void SendEvent(const StatisticsEvent& event);
  // A click in the installer window (path "zlbrowser_reinstall_dialog").
  void SendDialogEvent(const StatisticsEvent& event);

  // Writes the parameters to "install_stat" for the browser's setup.
  bool StoreInRegistry();

  const InstallStatSender& install_stat_sender() const { return *install_stat_sender_; }

 private:
  void SendWithRow(int row, const StatisticsEvent& event);

  // The row is switched per event; both the worker and the window's
  // thread send.
  std::mutex row_lock_;
  std::unique_ptr<InstallStatSender> install_stat_sender_;
  std::unique_ptr<AsyncHttpSender> http_sender_;
};

}  // namespace lite

#endif  // LITE_NET_INSTALLER_STATISTICS_H_
