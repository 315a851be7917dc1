#ifndef LITE_UI_NOTICE_DIALOG_H_
#define LITE_UI_NOTICE_DIALOG_H_

#include <cstdint>

#include "ui/message_dialog.h"

namespace lite {

// A notice with one button (1) at the left: the newer-version and the
// disk-space messages.
class NoticeDialog : public MessageDialog {
 public:
  NoticeDialog(uint32_t language_id, int heading_id, int body_id, int button_id);

 protected:
  void LoadContent() override;
  void LayoutButtons() override;

 private:
  int heading_id_;
  int body_id_;
  int button_id_;
};

}  // namespace lite

#endif  // LITE_UI_NOTICE_DIALOG_H_
