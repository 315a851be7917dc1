#include "ui/message_dialogs.h"

#include "install/installer_observer.h"
#include "ui/crypto_pro_dialog.h"
#include "ui/download_failure_dialog.h"
#include "ui/notice_dialog.h"
#include "ui/two_texts_dialog.h"

namespace lite {
namespace {

constexpr int kIdsErrorOccurred = 418;
constexpr int kIdsMachineTypeMismatch = 421;
constexpr int kIdsAlreadyInstalled = 422;
constexpr int kIdsNewerVersionInstalled = 424;
constexpr int kIdsUninstallFirst = 425;
constexpr int kIdsOk = 429;
constexpr int kIdsNotEnoughDiskSpace = 438;
constexpr int kIdsFreeUpSpace = 439;

}  // namespace

INT_PTR RunInstallFailureDialog(int failure_type, uint32_t language_id,
                                const std::string& download_address) {
  switch (failure_type) {
    case 0:
      return 0;
    case kInstallFailedCryptoPro:
      return CryptoProDialog(language_id).RunModal(nullptr);
    case kInstallFailedMachineType:
      return TwoTextsDialog(language_id, kIdsErrorOccurred, kIdsMachineTypeMismatch)
          .RunModal(nullptr);
    case kInstallFailedAlreadyInstalled:
      return TwoTextsDialog(language_id, kIdsErrorOccurred, kIdsAlreadyInstalled)
          .RunModal(nullptr);
    default:
      return DownloadFailureDialog(language_id, download_address).RunModal(nullptr);
  }
}

INT_PTR RunNewerVersionNotice(uint32_t language_id) {
  return NoticeDialog(language_id, kIdsNewerVersionInstalled, kIdsUninstallFirst, kIdsOk)
      .RunModal(nullptr);
}

INT_PTR RunNotEnoughDiskSpaceNotice(uint32_t language_id) {
  return NoticeDialog(language_id, kIdsNotEnoughDiskSpace, kIdsFreeUpSpace, kIdsOk)
      .RunModal(nullptr);
}

}  // namespace lite
