#ifndef LITE_UI_TWO_TEXTS_DIALOG_H_
#define LITE_UI_TWO_TEXTS_DIALOG_H_

#include <cstdint>

#include "ui/message_dialog.h"

namespace lite {

// A failure the user can only acknowledge: a heading, a longer body and a
// single Cancel button (113) in the middle.
class TwoTextsDialog : public MessageDialog {
 public:
  TwoTextsDialog(uint32_t language_id, int heading_id, int body_id);

 protected:
  void LoadContent() override;
  void LayoutButtons() override;
  void LayoutTexts() override;

 private:
  int heading_id_;
  int body_id_;
};

}  // namespace lite

#endif  // LITE_UI_TWO_TEXTS_DIALOG_H_
