#ifndef LITE_UI_RESUME_DIALOG_H_
#define LITE_UI_RESUME_DIALOG_H_

#include <windows.h>

#include <cstdint>

#include "ui/message_dialog.h"

namespace lite {

// Asks whether to go on when the user closes the progress screen: Resume
// (1) or Cancel (113), both at the right. The main window keeps one and
// shows it as often as the user asks; the setup's close message may end it
// from outside while it is open.
class ResumeDialog : public MessageDialog {
 public:
  explicit ResumeDialog(uint32_t language_id);

  // Shows the dialog modally over the active window and detaches when it
  // ends, so that it can be shown again. Returns the EndDialog value.
  INT_PTR Run();
  // Whether the dialog is showing: window() is its handle then.
  bool IsOpen() const { return window() != nullptr; }

 protected:
  void LoadContent() override;
};

}  // namespace lite

#endif  // LITE_UI_RESUME_DIALOG_H_
