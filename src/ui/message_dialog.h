#ifndef LITE_UI_MESSAGE_DIALOG_H_
#define LITE_UI_MESSAGE_DIALOG_H_

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>

#include "base/scoped_gdi.h"
#include "ui/resource_bitmap.h"
#include "ui/subclassed_window.h"

namespace lite {

class ImageButton;
class ShadowWindow;

// Where the heading and the body go in a message dialog: the left margin,
// the top margin (also the right one), the bottom margin above the
// buttons, and the heights the body takes above that.
struct DialogTextLayout {
  int left;
  int top_and_right;
  int unused;
  int bottom;
  int height_a;
  int height_b;
};

// A small custom-drawn dialog of template 100 over picture 104, with a
// heading, a body text and up to two image buttons, and a soft shadow
// around it. Its first button ends it with 1, its second with 113; Escape
// and the close command do nothing. The variants choose the texts and
// which buttons show where. Run once with RunModal(nullptr).
class MessageDialog : public SubclassedWindow {
 public:
  // Button modes.
  static constexpr int kButtonsFromLeft = 0;
  static constexpr int kButtonsAtRight = 1;

  explicit MessageDialog(uint32_t language_id);
  ~MessageDialog() override;

  bool HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                     LRESULT* result) override;
  int DialogId() const override;

 protected:
  virtual void OnFirstButton();
  virtual void OnSecondButton();
  virtual BOOL OnInitDialog();
  virtual LRESULT OnEraseBackground();
  virtual HBRUSH OnCtlColorStatic(HDC dc, HWND control);
  virtual LRESULT OnPaint();
  virtual LRESULT OnCustomDraw(const NMCUSTOMDRAW& draw);
  virtual void InitializeContent();
  // Loads the background; the variants add their texts.
  virtual void LoadContent();
  virtual void ResizeToImage();
  virtual void LayoutButtons();
  virtual void SetButtonMode(int mode);
  virtual void LayoutTexts();
  virtual void PaintBackground();
  virtual void CreateButtons();
  virtual void CreateShadow();

  // Places the heading and the body by |layout|.
  void PlaceTexts(const DialogTextLayout& layout);
  // The second button alone, centred: the layout of the dialogs that only
  // let the user acknowledge.
  void LayoutCentredSecondButton();
  void HideControl(int control_id);
  // Sets a control's text to string |string_id| in the dialog's language.
  void SetText(int control_id, int string_id);

  uint32_t language_id() const { return language_id_; }

 private:
  uint32_t language_id_;
  ResourceBitmap background_;
  int button_mode_ = kButtonsFromLeft;
  std::unique_ptr<ImageButton> first_button_;
  std::unique_ptr<ImageButton> second_button_;
  // 14 px for the buttons, 16 px for the heading, 13 px for the body.
  ScopedFont fonts_[3];
  std::unique_ptr<ShadowWindow> shadow_;
};

}  // namespace lite

#endif  // LITE_UI_MESSAGE_DIALOG_H_
