#ifndef LITE_UI_CRYPTO_PRO_DIALOG_H_
#define LITE_UI_CRYPTO_PRO_DIALOG_H_

#include <cstdint>

#include "ui/two_texts_dialog.h"

namespace lite {

// The download failed inside an old CryptoPro revocation provider: tells
// the user to update it, with a single Cancel button.
class CryptoProDialog : public TwoTextsDialog {
 public:
  explicit CryptoProDialog(uint32_t language_id);
};

}  // namespace lite

#endif  // LITE_UI_CRYPTO_PRO_DIALOG_H_
