#include "ui/crypto_pro_dialog.h"

namespace lite {
namespace {

constexpr int kIdsCouldNotInstall = 419;
constexpr int kIdsUpdateCryptoPro = 420;

}  // namespace

CryptoProDialog::CryptoProDialog(uint32_t language_id)
    : TwoTextsDialog(language_id, kIdsCouldNotInstall, kIdsUpdateCryptoPro) {}

}  // namespace lite
