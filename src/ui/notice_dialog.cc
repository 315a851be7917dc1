#include "ui/notice_dialog.h"

#include "ui/resource_ids.h"

namespace lite {

NoticeDialog::NoticeDialog(uint32_t language_id, int heading_id, int body_id, int button_id)
    : MessageDialog(language_id),
      heading_id_(heading_id),
      body_id_(body_id),
      button_id_(button_id) {}

void NoticeDialog::LoadContent() {
  MessageDialog::LoadContent();
  SetText(IDC_TITLE, heading_id_);
  SetText(IDC_BODY, body_id_);
  SetText(IDC_FIRST_BUTTON, button_id_);
}

void NoticeDialog::LayoutButtons() {
  MessageDialog::LayoutButtons();
  HideControl(IDC_SECOND_BUTTON);
}

}  // namespace lite
