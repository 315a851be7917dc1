#ifndef LITE_NET_INSTALL_STAT_SENDER_H_
#define LITE_NET_INSTALL_STAT_SENDER_H_

#include <mutex>
#include <string>

#include "net/statistics_event.h"

namespace lite {

// A row of the statistics path table: the counter id and path of the
// request URL.
struct ExtendedStatTarget {
  int counter_id;
  const char* path;
};
inline constexpr int kStatTargetInstaller = 0;
inline constexpr int kStatTargetReinstallDialog = 1;
inline constexpr int kStatTargetPfMigration = 2;
inline constexpr int kStatTargetZomboWindow = 3;
// Null for a row the table does not have.
const ExtendedStatTarget* GetExtendedStatTarget(int row);

// The standing parameters that go with every statistics event, their copy
// in the registry value "install_stat" (which the browser's setup reads),
// and the request URL for one event.
class InstallStatSender {
 public:
  // Installer types; other numbers are named "lite".
  static constexpr int kInstallerTypeNone = -1;
  static constexpr int kInstallerTypeLite = 0;
  static constexpr int kInstallerTypeUpdater = 2;

  // |saved_text| is an "install_stat" text left by an earlier run (empty if
  // none); its pairs replace |initial_parameters| of the same key. Then
  // "launched", "ui", "old_ver" (unless restored), the own version and
  // "installer_type" are taken from this system.
  InstallStatSender(int target_type, int installer_type, const std::wstring& saved_text,
                    const StatisticsParameters& initial_parameters, int table_row);
  InstallStatSender(const InstallStatSender&) = delete;
  InstallStatSender& operator=(const InstallStatSender&) = delete;
  // Removes "install_stat" for the installer's own types (below updater):
  // an installation that got this far no longer needs it.
  virtual ~InstallStatSender();

  // The request URL for |event| with the parameters and the current row.
  // Logs every value sent.
  virtual std::wstring GetQueryUrl(const StatisticsEvent& event) const;

  // |value| is UTF-8; replaces an earlier value.
  void SetParameter(const std::string& name, const std::string& value);
  // The version of a browser already installed; empty when none.
  std::wstring GetOldVersion() const;
  // Writes the parameters to "install_stat".
  bool StoreInRegistry() const;
  // Rows the table does not have are refused and leave the row unchanged.
  void SetTableRow(int row);
  int table_row() const;

  StatisticsParameters parameters() const;

  // "Global\" + the setup's command line without its enclosing quotes,
  // lower case, "!" for each backslash: the event the setup creates.
  static std::wstring LaunchEventName(const std::wstring& command_line);

 private:
  const int target_type_;
  const int installer_type_;
  // Set from the installer's worker and read from the window's thread.
  mutable std::mutex lock_;
  StatisticsParameters parameters_;
  int table_row_;
};

}  // namespace lite

#endif  // LITE_NET_INSTALL_STAT_SENDER_H_
