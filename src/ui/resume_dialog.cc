#include "ui/resume_dialog.h"

#include "ui/resource_ids.h"

namespace lite {
namespace {

constexpr int kIdsResumeQuestion = 410;
constexpr int kIdsResume = 411;
constexpr int kIdsCancel = 412;

}  // namespace

ResumeDialog::ResumeDialog(uint32_t language_id) : MessageDialog(language_id) {
  SetButtonMode(kButtonsAtRight);
}

INT_PTR ResumeDialog::Run() {
  const INT_PTR result = RunModal(nullptr);
  Detach();
  return result;
}

void ResumeDialog::LoadContent() {
  MessageDialog::LoadContent();
  SetText(IDC_TITLE, kIdsResumeQuestion);
  SetText(IDC_FIRST_BUTTON, kIdsResume);
  SetText(IDC_SECOND_BUTTON, kIdsCancel);
}

}  // namespace lite
