#include "ui/two_texts_dialog.h"

#include "ui/resource_ids.h"

namespace lite {
namespace {

constexpr int kIdsCancel = 409;
// The body gets more room: a higher block, closer under the heading.
constexpr DialogTextLayout kTextLayout = {40, 20, 30, 20, 30, 40};

}  // namespace

TwoTextsDialog::TwoTextsDialog(uint32_t language_id, int heading_id, int body_id)
    : MessageDialog(language_id), heading_id_(heading_id), body_id_(body_id) {}

void TwoTextsDialog::LoadContent() {
  MessageDialog::LoadContent();
  SetText(IDC_TITLE, heading_id_);
  SetText(IDC_BODY, body_id_);
  SetText(IDC_SECOND_BUTTON, kIdsCancel);
}

void TwoTextsDialog::LayoutButtons() {
  LayoutCentredSecondButton();
}

void TwoTextsDialog::LayoutTexts() {
  PlaceTexts(kTextLayout);
}

}  // namespace lite
