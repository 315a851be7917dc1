#include "ui/message_dialog.h"

#include "ui/drawing.h"
#include "ui/image_button.h"
#include "ui/resource_ids.h"
#include "ui/resource_strings.h"
#include "ui/scale_factor.h"
#include "ui/shadow_window.h"

namespace lite {
namespace {

constexpr COLORREF kTextColour = RGB(70, 70, 70);
constexpr int kButtonFont = 0;
constexpr int kHeadingFont = 1;
constexpr int kBodyFont = 2;
constexpr int kFontSizes[] = {14, 16, 13};
constexpr int kFocusInset = 2;

// The shadow borders drawn into the background picture around the body.
constexpr int kShadowLeft = 7;
constexpr int kShadowTop = 4;
constexpr int kShadowRight = 6;
constexpr int kShadowBottom = 8;

constexpr DialogTextLayout kTextLayout = {40, 30, 30, 20, 20, 30};

RECT ClientRect(HWND window) {
  RECT rect = {};
  ::GetClientRect(window, &rect);
  return rect;
}

void PlaceControl(HWND control, int x, int y, int width, int height) {
  ::SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

MessageDialog::MessageDialog(uint32_t language_id) : language_id_(language_id) {
  for (int i = 0; i < 3; ++i) {
    fonts_[i] = CreateUiFont(L"Arial", Scale(kFontSizes[i]), FW_NORMAL, false);
  }
}

// The members go in the reverse of their order: shadow, fonts, buttons,
// background; the base then detaches.
MessageDialog::~MessageDialog() = default;

bool MessageDialog::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                  LRESULT* result) {
  switch (message) {
    case WM_PAINT:
      *result = OnPaint();
      return true;
    case WM_ERASEBKGND:
      *result = OnEraseBackground();
      return true;
    case WM_INITDIALOG:
      *result = OnInitDialog();
      return true;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->code != NM_CUSTOMDRAW) return false;
      *result = OnCustomDraw(*reinterpret_cast<const NMCUSTOMDRAW*>(lparam));
      return true;
    }
    case WM_COMMAND:
      // The whole wParam: a button's focus notifications (BS_NOTIFY) and
      // Escape's IDCANCEL are not clicks, and must not end the dialog.
      if (wparam == IDC_FIRST_BUTTON) {
        OnFirstButton();
      } else if (wparam == IDC_SECOND_BUTTON) {
        OnSecondButton();
      } else {
        return false;
      }
      *result = 0;
      return true;
    case WM_CTLCOLORSTATIC:
      *result = reinterpret_cast<LRESULT>(
          OnCtlColorStatic(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam)));
      return true;
    default:
      return false;
  }
}

int MessageDialog::DialogId() const {
  return IDD_MESSAGE_DIALOG;
}

void MessageDialog::OnFirstButton() {
  ::EndDialog(window(), IDC_FIRST_BUTTON);
}

void MessageDialog::OnSecondButton() {
  ::EndDialog(window(), IDC_SECOND_BUTTON);
}

BOOL MessageDialog::OnInitDialog() {
  InitializeContent();
  return TRUE;
}

LRESULT MessageDialog::OnEraseBackground() {
  return 1;
}

HBRUSH MessageDialog::OnCtlColorStatic(HDC dc, HWND control) {
  const int id = ::GetDlgCtrlID(control);
  if (id == IDC_BODY || id == IDC_TITLE) {
    ::SelectObject(dc, fonts_[id == IDC_BODY ? kBodyFont : kHeadingFont].get());
    ::SetTextColor(dc, kTextColour);
  }
  ::SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

LRESULT MessageDialog::OnPaint() {
  PaintBackground();
  return 0;
}

LRESULT MessageDialog::OnCustomDraw(const NMCUSTOMDRAW& draw) {
  ImageButton* button = nullptr;
  if (draw.hdr.idFrom == IDC_FIRST_BUTTON) {
    button = first_button_.get();
  } else if (draw.hdr.idFrom == IDC_SECOND_BUTTON) {
    button = second_button_.get();
  }
  if (!button) return 0;
  button->OnCustomDraw(draw, kFocusInset);
  return CDRF_SKIPDEFAULT;
}

void MessageDialog::InitializeContent() {
  LoadContent();
  ResizeToImage();
  CreateButtons();
  LayoutButtons();
  LayoutTexts();
  CreateShadow();
}

void MessageDialog::LoadContent() {
  background_.LoadScaled(IDR_DIALOG_BACKGROUND, 0);
}

void MessageDialog::ResizeToImage() {
  const int width = background_.Width() - Scale(kShadowLeft) - Scale(kShadowRight);
  const int height = background_.Height() - Scale(kShadowTop) - Scale(kShadowBottom);
  ::SetWindowPos(window(), nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CenterWindow();
}

void MessageDialog::LayoutButtons() {
  const RECT client = ClientRect(window());
  const SIZE first = first_button_->Size();
  const SIZE second = second_button_->Size();
  const int y = client.bottom - Scale(20) - first.cy;
  // The last 10 is not scaled: the buttons end a little further right at
  // larger scales.
  const int x = button_mode_ == kButtonsAtRight
                    ? client.right - first.cx - second.cx - Scale(30) - 10
                    : Scale(40);
  PlaceControl(first_button_->window(), x, y, first.cx, first.cy);
  PlaceControl(second_button_->window(), x + first.cx + Scale(10), y, second.cx, second.cy);
}

void MessageDialog::SetButtonMode(int mode) {
  button_mode_ = mode;
}

void MessageDialog::LayoutTexts() {
  PlaceTexts(kTextLayout);
}

void MessageDialog::PaintBackground() {
  PAINTSTRUCT paint = {};
  const HDC dc = ::BeginPaint(window(), &paint);
  if (dc) {
    const RECT client = ClientRect(window());
    background_.DrawImage(dc, 0, 0, client.right, client.bottom, Scale(kShadowLeft),
                          Scale(kShadowTop), client.right, client.bottom);
  }
  ::EndPaint(window(), &paint);
}

void MessageDialog::CreateButtons() {
  const HFONT font = fonts_[kButtonFont].get();
  first_button_ = std::make_unique<ImageButton>(
      IDR_DIALOG_FIRST_BUTTON, 0, kTextColour, font, ::GetDlgItem(window(), IDC_FIRST_BUTTON),
      background_, Scale(kShadowLeft), Scale(kShadowTop));
  second_button_ = std::make_unique<ImageButton>(
      IDR_DIALOG_SECOND_BUTTON, 0, kTextColour, font, ::GetDlgItem(window(), IDC_SECOND_BUTTON),
      background_, Scale(kShadowLeft), Scale(kShadowTop));
}

void MessageDialog::CreateShadow() {
  shadow_.reset();
  shadow_ = std::make_unique<ShadowWindow>(
      window(), background_,
      ShadowMargins{Scale(kShadowLeft), Scale(kShadowTop), Scale(kShadowRight),
                    Scale(kShadowBottom)});
}

void MessageDialog::PlaceTexts(const DialogTextLayout& layout) {
  const RECT client = ClientRect(window());
  const int left = Scale(layout.left);
  const int right = client.right - Scale(layout.top_and_right);
  const int body_bottom = client.bottom - Scale(layout.bottom) - first_button_->Size().cy;
  const int body_top = body_bottom - Scale(layout.height_b) - Scale(layout.height_a);
  const int heading_top = Scale(layout.top_and_right);
  const HWND body = ::GetDlgItem(window(), IDC_BODY);
  const HWND heading = ::GetDlgItem(window(), IDC_TITLE);
  PlaceControl(body, left, body_top, right - left, body_bottom - body_top);
  PlaceControl(heading, left, heading_top, right - left, body_top - heading_top);
  // The fonts chosen in WM_CTLCOLORSTATIC only hold where the static
  // selects its own font before asking; some systems select it after,
  // so each text also gets its font as its own.
  ::SendMessageW(body, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[kBodyFont].get()), FALSE);
  ::SendMessageW(heading, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[kHeadingFont].get()), FALSE);
}

void MessageDialog::LayoutCentredSecondButton() {
  MessageDialog::LayoutButtons();
  HideControl(IDC_FIRST_BUTTON);
  const HWND second = second_button_->window();
  const RECT client = ClientRect(window());
  const SIZE size = second_button_->Size();
  const POINT position = PositionInParent(second);
  PlaceControl(second, (client.right - client.left - size.cx) / 2, position.y, size.cx, size.cy);
}

void MessageDialog::HideControl(int control_id) {
  ::ShowWindow(::GetDlgItem(window(), control_id), SW_HIDE);
}

void MessageDialog::SetText(int control_id, int string_id) {
  SetItemTextFromString(control_id, string_id, language_id_);
}

}  // namespace lite
