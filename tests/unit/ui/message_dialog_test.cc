// The message dialogs opened for real on Xvfb: a thread timer plays the
// user inside the modal loop. The screenshots are kept as PNG files in
// <build>/test-artefacts/dialogs/.
#include "ui/message_dialog.h"

#include <gtest/gtest.h>
#include <gdiplus.h>
#include <shellapi.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "captured_log.h"
#include "test_util.h"
#include "ui/crypto_pro_dialog.h"
#include "ui/download_failure_dialog.h"
#include "ui/drawing.h"
#include "ui/message_dialogs.h"
#include "ui/notice_dialog.h"
#include "ui/resource_bitmap.h"
#include "ui/resource_ids.h"
#include "ui/resume_dialog.h"
#include "ui/resource_strings.h"
#include "ui/scale_factor.h"
#include "ui/text_metrics.h"
#include "ui/two_texts_dialog.h"
#include "ui_test_support.h"

namespace lite {
namespace {

constexpr uint32_t kEnglish = 0x409;
constexpr char kAddress[] =
    "https://zelmar.example/download?banerid=5&full=1&code=lite_install_failed";
// What a dialog that never ends is ended with, so that a failing test
// does not hang.
constexpr INT_PTR kStuck = -2;

HWND g_found_dialog = nullptr;

BOOL CALLBACK FindShownDialog(HWND window, LPARAM) {
  wchar_t name[16] = {};
  ::GetClassNameW(window, name, 16);
  if (std::wstring(name) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
  g_found_dialog = window;
  return FALSE;
}

// The dialog |thread| shows, once it is visible.
HWND ShownDialog(DWORD thread = ::GetCurrentThreadId()) {
  g_found_dialog = nullptr;
  ::EnumThreadWindows(thread, &FindShownDialog, 0);
  return g_found_dialog;
}

// Runs |show|, which runs a modal dialog on this thread; meanwhile another
// thread waits for the dialog, lets it paint, runs |look| and presses
// |button|. Quicker than ModalScript's timer ticks, which Wine's modal loop
// delivers slowly, where many dialogs are to be seen.
void ShowAndLook(const std::function<INT_PTR()>& show, const std::function<void(HWND)>& look,
                 int button) {
  const DWORD ui_thread = ::GetCurrentThreadId();
  std::thread driver([&] {
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && !(dialog = ShownDialog(ui_thread)); ++i) ::Sleep(10);
    ASSERT_TRUE(dialog) << "no dialog";
    ::Sleep(150);
    look(dialog);
    ::PostMessageW(::GetDlgItem(dialog, button), BM_CLICK, 0, 0);
  });
  show();
  driver.join();
}

// Plays steps, one per tick of a thread timer, against the dialog that
// this thread shows modally meanwhile.
class ModalScript {
 public:
  using Step = std::function<void(HWND dialog)>;

  explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {}

  // Runs |show|, which runs the modal loop; returns its result.
  INT_PTR Play(const std::function<INT_PTR()>& show) {
    current_ = this;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 40, &ModalScript::OnTick);
    const INT_PTR result = show();
    ::KillTimer(nullptr, timer);
    current_ = nullptr;
    return result;
  }

  size_t steps_run() const { return next_; }

 private:
  static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    ModalScript* script = current_;
    const HWND dialog = ShownDialog();
    if (!script || !dialog) return;
    if (script->next_ < script->steps_.size()) {
      script->steps_[script->next_++](dialog);
    } else if (++script->idle_ticks_ > 50) {
      ::EndDialog(dialog, kStuck);
    }
  }

  static inline ModalScript* current_ = nullptr;
  std::vector<Step> steps_;
  size_t next_ = 0;
  int idle_ticks_ = 0;
};

// A step that lets the dialog paint.
void Pause(HWND) {}

// Everything that ends an ordinary dialog but must not end these: IDCANCEL,
// the Escape key, the close command, and a button's focus notification.
void TryToDismiss(HWND dialog) {
  ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SECOND_BUTTON, BN_SETFOCUS), 0);
  ::SendMessageW(dialog, WM_CLOSE, 0, 0);
  ::SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  ::PostMessageW(dialog, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

ModalScript::Step Click(int control_id) {
  return [control_id](HWND dialog) {
    ::SendMessageW(::GetDlgItem(dialog, control_id), BM_CLICK, 0, 0);
  };
}

std::wstring ItemText(HWND dialog, int control_id) {
  wchar_t text[512] = {};
  ::GetWindowTextW(::GetDlgItem(dialog, control_id), text, 512);
  return text;
}

RECT RectInDialog(HWND dialog, int control_id) {
  RECT rect = WindowRect(::GetDlgItem(dialog, control_id));
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string RectText(const RECT& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + " - " +
         std::to_string(rect.right) + "," + std::to_string(rect.bottom);
}

void ExpectRect(const RECT& actual, const RECT& expected, const char* what) {
  EXPECT_TRUE(::EqualRect(&actual, &expected))
      << what << ": " << RectText(actual) << ", expected " << RectText(expected);
}

HWND g_found_shadow = nullptr;

BOOL CALLBACK FindShadow(HWND window, LPARAM dialog) {
  if (::GetWindow(window, GW_OWNER) != reinterpret_cast<HWND>(dialog) ||
      !(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED)) {
    return TRUE;
  }
  g_found_shadow = window;
  return FALSE;
}

HWND ShadowOf(HWND dialog) {
  g_found_shadow = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), &FindShadow, reinterpret_cast<LPARAM>(dialog));
  return g_found_shadow;
}

// Stands in for ShellExecuteA while it exists, so that no browser starts.
class ScopedOpenRecorder {
 public:
  struct Call {
    HWND owner;
    std::string verb;
    std::string address;
    INT show;
  };

  explicit ScopedOpenRecorder(INT_PTR answer = 42) {
    answer_ = answer;
    calls_.clear();
    DownloadFailureDialog::SetOpenFunctionForTesting(&Open);
  }
  ScopedOpenRecorder(const ScopedOpenRecorder&) = delete;
  ScopedOpenRecorder& operator=(const ScopedOpenRecorder&) = delete;
  ~ScopedOpenRecorder() { DownloadFailureDialog::SetOpenFunctionForTesting(nullptr); }

  const std::vector<Call>& calls() const { return calls_; }

 private:
  static HINSTANCE WINAPI Open(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                               LPCSTR folder, INT show) {
    EXPECT_EQ(parameters, nullptr);
    EXPECT_EQ(folder, nullptr);
    calls_.push_back({owner, verb ? verb : "", file ? file : "", show});
    return reinterpret_cast<HINSTANCE>(answer_);
  }

  static inline INT_PTR answer_ = 42;
  static inline std::vector<Call> calls_;
};

// A pixel of a picture at its own size.
COLORREF PicturePixel(int image_id, int x, int y) {
  ScopedScaleFactorForTesting unscaled(1.0);
  ResourceBitmap picture;
  EXPECT_TRUE(picture.Load(image_id, 1));
  TestCanvas canvas(picture.Width(), picture.Height());
  picture.DrawImage(canvas.dc(), 0, 0, picture.Width(), picture.Height(), 0, 0, picture.Width(),
                    picture.Height());
  return canvas.Colour(x, y);
}

// The darkest grey level inside |rect|: text in RGB 70, 70, 70 shows as
// dark pixels over the light body.
int DarkestIn(const Screenshot& shot, const RECT& rect) {
  int darkest = 255;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      const COLORREF c = shot.At(x, y);
      darkest = std::min(darkest, (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3);
    }
  }
  return darkest;
}

// Sizes and places at one scale, worked out by hand from the layout rules.
struct Geometry {
  double scale;
  SIZE window;
  RECT shadow_margins;  // left, top, right, bottom
  RECT heading, body;                // heading and body of most dialogs
  RECT roomy_heading, roomy_body;    // of the two-texts and CryptoPro dialogs
  RECT first_from_left, second_from_left;
  RECT first_at_right, second_at_right;
  RECT second_centred;
};

const Geometry kGeometries[] = {
    {1.0, {397, 174}, {7, 4, 6, 8},
     {40, 30, 367, 76}, {40, 76, 367, 126},
     {40, 20, 377, 56}, {40, 56, 377, 126},
     {40, 126, 160, 154}, {170, 126, 290, 154},
     {117, 126, 237, 154}, {247, 126, 367, 154},
     {138, 126, 258, 154}},
    {1.5, {596, 261}, {10, 6, 9, 12},
     {60, 45, 551, 114}, {60, 114, 551, 189},
     {60, 30, 566, 84}, {60, 84, 566, 189},
     {60, 189, 240, 231}, {255, 189, 435, 231},
     {181, 189, 361, 231}, {376, 189, 556, 231},
     {208, 189, 388, 231}},
};

enum class Buttons { kFromLeft, kAtRight, kCentred, kFirstOnly };

struct Variant {
  const char* name;
  std::function<std::unique_ptr<MessageDialog>()> make;
  const wchar_t* heading;
  const wchar_t* body;
  const wchar_t* first;   // null: hidden
  const wchar_t* second;  // null: hidden
  Buttons buttons;
  bool roomy_texts;
  // Each visible button and what it ends the dialog with.
  std::vector<std::pair<int, INT_PTR>> clicks;
};

const wchar_t kCryptoProBody[] =
    L"Your computer has an old version\nof CryptoPro Revocation Provider installed.\n"
    L"Please update it\nto install Zelmar\u00a0Browser.";
const wchar_t kMachineTypeBody[] =
    L"You can't run the 64-bit version of Zelmar Browser on a 32-bit OS. Download 32-bit Zelmar "
    L"Browser.";
const wchar_t kNewerVersionBody[] =
    L"To get an old version of the browser working,\nuninstall the browser from your computer "
    L"and repeat the installation.";
const wchar_t kDownloadBody[] =
    L"Try to download the installation file and\nrepeat the installation manually.";

const std::vector<Variant>& Variants() {
  static const std::vector<Variant> variants = {
      {"resume", [] { return std::make_unique<ResumeDialog>(kEnglish); },
       L"Installation not complete. Resume?", L"", L"Resume", L"Cancel", Buttons::kAtRight,
       false, {{IDC_FIRST_BUTTON, 1}, {IDC_SECOND_BUTTON, 113}}},
      {"crypto_pro", [] { return std::make_unique<CryptoProDialog>(kEnglish); },
       L"Couldn't install Zelmar\u00a0Browser", kCryptoProBody, nullptr, L"Cancel",
       Buttons::kCentred, true, {{IDC_SECOND_BUTTON, 113}}},
      {"two_texts", [] { return std::make_unique<TwoTextsDialog>(kEnglish, 418, 421); },
       L"An error occurred during installation", kMachineTypeBody, nullptr, L"Cancel",
       Buttons::kCentred, true, {{IDC_SECOND_BUTTON, 113}}},
      {"newer_version", [] { return std::make_unique<NoticeDialog>(kEnglish, 424, 425, 429); },
       L"You already have a newer version\nof the browser installed on your computer",
       kNewerVersionBody, L"OK", nullptr, Buttons::kFirstOnly, false, {{IDC_FIRST_BUTTON, 1}}},
      {"notice", [] { return std::make_unique<NoticeDialog>(kEnglish, 438, 439, 429); },
       L"Not enough disk space\nto install Zelmar\u00a0Browser",
       L"Free up at least 600 MB and try again.", L"OK", nullptr, Buttons::kFirstOnly, false,
       {{IDC_FIRST_BUTTON, 1}}},
      {"download_failure",
       [] { return std::make_unique<DownloadFailureDialog>(kEnglish, kAddress); },
       L"An error occurred during installation", kDownloadBody, L"Download", L"Cancel",
       Buttons::kFromLeft, false, {{IDC_FIRST_BUTTON, 1}, {IDC_SECOND_BUTTON, 113}}},
  };
  return variants;
}

// Each text, wrapped as the static wraps it with its own font, fits its
// rectangle; each shown button's label fits its face with a margin.
void ExpectTextsFit(HWND dialog) {
  for (const int id : {IDC_TITLE, IDC_BODY}) {
    const HWND text = ::GetDlgItem(dialog, id);
    const RECT box = RectInDialog(dialog, id);
    RECT needed = {0, 0, box.right - box.left, 0};
    ScopedGetDc dc(text);
    ScopedSelectObject font(dc.get(),
                            reinterpret_cast<HGDIOBJ>(::SendMessageW(text, WM_GETFONT, 0, 0)));
    ::DrawTextW(dc.get(), ItemText(dialog, id).c_str(), -1, &needed,
                DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    EXPECT_LE(needed.bottom, box.bottom - box.top) << "text " << id << " is clipped";
    EXPECT_LE(needed.right, box.right - box.left) << "text " << id << " is clipped";
  }
  // The buttons' labels are drawn in 14-pixel Arial.
  const ScopedFont label_font = CreateUiFont(L"Arial", Scale(14), FW_NORMAL, false);
  for (const int id : {IDC_FIRST_BUTTON, IDC_SECOND_BUTTON}) {
    const HWND button = ::GetDlgItem(dialog, id);
    if (!::IsWindowVisible(button)) continue;
    const RECT box = RectInDialog(dialog, id);
    ScopedGetDc dc(button);
    ScopedSelectObject font(dc.get(), label_font.get());
    const SIZE size = TextExtent(dc.get(), ItemText(dialog, id));
    EXPECT_LE(size.cx, box.right - box.left - 2 * Scale(8)) << "button " << id << " is clipped";
    EXPECT_LE(size.cy, box.bottom - box.top) << "button " << id << " is clipped";
  }
}

// Checks the open dialog against the variant at the geometry's scale.
void ExpectDialog(HWND dialog, const Variant& variant, const Geometry& g) {
  const RECT window = WindowRect(dialog);
  EXPECT_EQ(window.right - window.left, g.window.cx);
  EXPECT_EQ(window.bottom - window.top, g.window.cy);
  // No owner: centred on the work area.
  EXPECT_EQ(::GetWindow(dialog, GW_OWNER), nullptr);
  RECT area = {};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_EQ(window.left, (area.left + area.right) / 2 - g.window.cx / 2);
  EXPECT_EQ(window.top, (area.top + area.bottom) / 2 - g.window.cy / 2);

  EXPECT_EQ(ItemText(dialog, IDC_TITLE), variant.heading);
  EXPECT_EQ(ItemText(dialog, IDC_BODY), variant.body);
  ExpectRect(RectInDialog(dialog, IDC_TITLE), variant.roomy_texts ? g.roomy_heading : g.heading,
             "heading");
  ExpectRect(RectInDialog(dialog, IDC_BODY), variant.roomy_texts ? g.roomy_body : g.body,
             "body");
  ExpectTextsFit(dialog);

  const HWND first = ::GetDlgItem(dialog, IDC_FIRST_BUTTON);
  const HWND second = ::GetDlgItem(dialog, IDC_SECOND_BUTTON);
  EXPECT_EQ(::IsWindowVisible(first) != 0, variant.first != nullptr);
  EXPECT_EQ(::IsWindowVisible(second) != 0, variant.second != nullptr);
  if (variant.first) {
    EXPECT_EQ(ItemText(dialog, IDC_FIRST_BUTTON), variant.first);
  }
  if (variant.second) {
    EXPECT_EQ(ItemText(dialog, IDC_SECOND_BUTTON), variant.second);
  }
  switch (variant.buttons) {
    case Buttons::kFromLeft:
      ExpectRect(RectInDialog(dialog, IDC_FIRST_BUTTON), g.first_from_left, "first button");
      ExpectRect(RectInDialog(dialog, IDC_SECOND_BUTTON), g.second_from_left, "second button");
      break;
    case Buttons::kAtRight:
      ExpectRect(RectInDialog(dialog, IDC_FIRST_BUTTON), g.first_at_right, "first button");
      ExpectRect(RectInDialog(dialog, IDC_SECOND_BUTTON), g.second_at_right, "second button");
      break;
    case Buttons::kCentred:
      ExpectRect(RectInDialog(dialog, IDC_SECOND_BUTTON), g.second_centred, "second button");
      break;
    case Buttons::kFirstOnly:
      ExpectRect(RectInDialog(dialog, IDC_FIRST_BUTTON), g.first_from_left, "first button");
      break;
  }
  // The unused button keeps its empty rectangle.
  ExpectRect(RectInDialog(dialog, IDC_UNUSED_BUTTON), RECT{0, 0, 0, 0}, "unused button");

  // The shadow: a layered popup of the dialog, the picture's size.
  const HWND shadow = ShadowOf(dialog);
  ASSERT_TRUE(shadow);
  EXPECT_TRUE(::IsWindowVisible(shadow));
  const RECT m = g.shadow_margins;
  ExpectRect(WindowRect(shadow),
             RECT{window.left - m.left, window.top - m.top, window.right + m.right,
                  window.bottom + m.bottom},
             "shadow");
}

// The pixels: the picture's body under everything, the texts in dark grey
// inside their rectangles, each shown button's face.
void ExpectPixels(const Screenshot& shot, const Variant& variant, const Geometry& g) {
  const auto picture_at = [&](int x, int y) {
    return PicturePixel(IDR_DIALOG_BACKGROUND, static_cast<int>(x / g.scale) + 7,
                        static_cast<int>(y / g.scale) + 4);
  };
  // A quiet spot of the body right of the heading, and one under the top rule.
  const int tolerance = g.scale == 1.0 ? 2 : 12;
  for (const POINT& p : {POINT{g.window.cx - 12, g.window.cy / 2},
                         POINT{g.window.cx / 2, static_cast<LONG>(10 * g.scale)}}) {
    EXPECT_TRUE(Near(shot.At(p.x, p.y), picture_at(p.x, p.y), tolerance))
        << p.x << "," << p.y << ": " << ColourText(shot.At(p.x, p.y)) << " for "
        << ColourText(picture_at(p.x, p.y));
  }
  const RECT& heading = variant.roomy_texts ? g.roomy_heading : g.heading;
  const RECT& body = variant.roomy_texts ? g.roomy_body : g.body;
  EXPECT_LT(DarkestIn(shot, heading), 110) << "no heading text";
  if (*variant.body) {
    EXPECT_LT(DarkestIn(shot, body), 110) << "no body text";
  }
  // Nothing written past the texts' right edge.
  EXPECT_GT(DarkestIn(shot, RECT{heading.right + 2, heading.top, g.window.cx - 4, body.bottom}),
            150);

  struct Face {
    bool shown;
    RECT rect;
    int image_id;
  };
  const RECT first = variant.buttons == Buttons::kAtRight ? g.first_at_right : g.first_from_left;
  const RECT second = variant.buttons == Buttons::kAtRight  ? g.second_at_right
                      : variant.buttons == Buttons::kCentred ? g.second_centred
                                                            : g.second_from_left;
  for (const Face& face : {Face{variant.first != nullptr, first, IDR_DIALOG_FIRST_BUTTON},
                           Face{variant.second != nullptr, second, IDR_DIALOG_SECOND_BUTTON}}) {
    if (!face.shown) continue;
    // Left of the text, in the middle of the face's height.
    const int x = face.rect.left + static_cast<int>(12 * g.scale);
    const int y = (face.rect.top + face.rect.bottom) / 2;
    const COLORREF expected = PicturePixel(face.image_id, 12, 14);
    EXPECT_TRUE(Near(shot.At(x, y), expected, 8))
        << "button face " << face.image_id << ": " << ColourText(shot.At(x, y)) << " for "
        << ColourText(expected);
    EXPECT_LT(DarkestIn(shot, face.rect), 110) << "no text on button " << face.image_id;
  }
  if (!variant.first) {
    // The hidden first button leaves the body's picture.
    const int x = g.first_from_left.left + static_cast<int>(12 * g.scale);
    const int y = (g.first_from_left.top + g.first_from_left.bottom) / 2;
    EXPECT_TRUE(Near(shot.At(x, y), picture_at(x, y), tolerance)) << ColourText(shot.At(x, y));
  }
}

// The statics' answers: the body in 13 px and the heading in 16 px (scaled)
// Arial, both dark grey; every static transparent over the picture.
void ExpectTextStyles(HWND dialog) {
  struct Case {
    int control_id;
    int font_height;  // 0: the font is left alone
    COLORREF colour;
  };
  const Case cases[] = {
      {IDC_BODY, Scale(13), RGB(70, 70, 70)},
      {IDC_TITLE, Scale(16), RGB(70, 70, 70)},
      {IDC_UNUSED_BUTTON, 0, RGB(1, 2, 3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control_id);
    TestCanvas canvas(4, 4);
    ::SetTextColor(canvas.dc(), RGB(1, 2, 3));
    ::SetBkMode(canvas.dc(), OPAQUE);
    const HGDIOBJ own_font = ::GetCurrentObject(canvas.dc(), OBJ_FONT);
    const LRESULT brush =
        ::SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.dc()),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, c.control_id)));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), ::GetStockObject(NULL_BRUSH));
    EXPECT_EQ(::GetBkMode(canvas.dc()), TRANSPARENT);
    EXPECT_EQ(::GetTextColor(canvas.dc()), c.colour);
    const HGDIOBJ font = ::GetCurrentObject(canvas.dc(), OBJ_FONT);
    if (c.font_height == 0) {
      EXPECT_EQ(font, own_font);
      continue;
    }
    // The same font is the static's own, whichever the static selects last.
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(
                  ::SendMessageW(::GetDlgItem(dialog, c.control_id), WM_GETFONT, 0, 0)),
              font);
    LOGFONTW log_font = {};
    ASSERT_TRUE(::GetObjectW(font, sizeof(log_font), &log_font));
    EXPECT_EQ(log_font.lfHeight, -c.font_height);
    EXPECT_EQ(log_font.lfWeight, FW_NORMAL);
    EXPECT_EQ(std::wstring(log_font.lfFaceName), L"Arial");
  }
}

// Custom draw: the two image buttons paint themselves and skip the
// system's drawing; any other control is left to the system.
void ExpectButtonsPaintThemselves(HWND dialog) {
  struct Case {
    int control_id;
    LRESULT answer;
  };
  for (const Case& c : {Case{IDC_FIRST_BUTTON, CDRF_SKIPDEFAULT},
                        Case{IDC_SECOND_BUTTON, CDRF_SKIPDEFAULT}, Case{IDC_UNUSED_BUTTON, 0}}) {
    SCOPED_TRACE(c.control_id);
    TestCanvas canvas(Scale(120), Scale(28));
    canvas.Fill(RGB(1, 2, 3));
    NMCUSTOMDRAW draw = CustomDraw(::GetDlgItem(dialog, c.control_id), canvas.dc(),
                                   RECT{0, 0, canvas.width(), canvas.height()}, 0);
    EXPECT_EQ(
        ::SendMessageW(dialog, WM_NOTIFY, draw.hdr.idFrom, reinterpret_cast<LPARAM>(&draw)),
        c.answer);
    const bool painted = canvas.Colour(canvas.width() / 10, canvas.height() / 2) != RGB(1, 2, 3);
    EXPECT_EQ(painted, c.answer == CDRF_SKIPDEFAULT);
  }
}

TEST(MessageDialogTest, EachVariantAtEachScale) {
  ScopedScreenBits bits(32);
  ScopedOpenRecorder open;
  for (const Geometry& g : kGeometries) {
    ScopedScaleFactorForTesting scale(g.scale);
    for (const Variant& variant : Variants()) {
      // What each button gives does not depend on the scale: every button
      // at 1.0, the first one at 1.5. Each run costs seconds under Wine.
      const size_t runs = g.scale == 1.0 ? variant.clicks.size() : 1;
      for (size_t i = 0; i < runs; ++i) {
        const auto [button, result] = variant.clicks[i];
        SCOPED_TRACE(std::string(variant.name) + " at " + std::to_string(g.scale) +
                     ", button " + std::to_string(button));
        std::unique_ptr<MessageDialog> dialog = variant.make();
        std::vector<ModalScript::Step> steps = {
            [&](HWND window) { ExpectDialog(window, variant, g); },
            TryToDismiss,
        };
        if (i == 0) {
          steps.push_back([&](HWND window) {
            ExpectTextStyles(window);
            ExpectButtonsPaintThemselves(window);
          });
          // The pixels, once the dialog has painted again.
          steps.push_back(Pause);
          steps.push_back([&](HWND window) {
            Screenshot shot(window, g.shadow_margins);
            shot.Save(std::string(variant.name) + "_" + (g.scale == 1.0 ? "1.0" : "1.5"));
            ExpectPixels(shot, variant, g);
          });
        }
        steps.push_back(Click(button));
        ModalScript script(steps);
        EXPECT_EQ(script.Play([&] { return dialog->RunModal(nullptr); }), result);
        EXPECT_EQ(script.steps_run(), steps.size());
      }
    }
  }
}

// The dialogs, each with the string ids of its texts (0: none, or hidden).
struct DialogTexts {
  const char* name;
  std::function<std::unique_ptr<MessageDialog>(uint32_t language_id)> make;
  int heading, body, first, second;
  bool roomy_texts;
};

const std::vector<DialogTexts>& EveryDialog() {
  static const std::vector<DialogTexts> dialogs = {
      {"resume", [](uint32_t l) { return std::make_unique<ResumeDialog>(l); }, 410, 0, 411, 412,
       false},
      {"crypto_pro", [](uint32_t l) { return std::make_unique<CryptoProDialog>(l); }, 419, 420,
       0, 409, true},
      {"machine_type", [](uint32_t l) { return std::make_unique<TwoTextsDialog>(l, 418, 421); },
       418, 421, 0, 409, true},
      {"already_installed",
       [](uint32_t l) { return std::make_unique<TwoTextsDialog>(l, 418, 422); }, 418, 422, 0,
       409, true},
      {"newer_version",
       [](uint32_t l) { return std::make_unique<NoticeDialog>(l, 424, 425, 429); }, 424, 425,
       429, 0, false},
      {"disk_space", [](uint32_t l) { return std::make_unique<NoticeDialog>(l, 438, 439, 429); },
       438, 439, 429, 0, false},
      {"download_failure",
       [](uint32_t l) { return std::make_unique<DownloadFailureDialog>(l, kAddress); }, 418, 423,
       427, 428, false},
  };
  return dialogs;
}

std::wstring TextOrNone(int string_id, uint32_t language_id) {
  return string_id ? LoadUiString(string_id, language_id) : std::wstring();
}

// Every dialog's texts in every interface language at both scales fit
// their rectangles, measured as the statics and buttons draw them (the
// rectangles of kGeometries, which EachVariantAtEachScale checks on the
// screen).
TEST(MessageDialogTest, EveryLanguageFitsByMeasure) {
  for (const Geometry& g : kGeometries) {
    ScopedScaleFactorForTesting scale(g.scale);
    const ScopedFont heading_font = CreateUiFont(L"Arial", Scale(16), FW_NORMAL, false);
    const ScopedFont body_font = CreateUiFont(L"Arial", Scale(13), FW_NORMAL, false);
    const ScopedFont button_font = CreateUiFont(L"Arial", Scale(14), FW_NORMAL, false);
    ScopedGetDc dc(nullptr);
    const auto needed = [&](HFONT font, const std::wstring& text, int width) {
      ScopedSelectObject select(dc.get(), font);
      RECT rect = {0, 0, width, 0};
      ::DrawTextW(dc.get(), text.c_str(), -1, &rect, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
      return rect;
    };
    for (const InterfaceLanguage& language : kInterfaceLanguages) {
      for (const DialogTexts& d : EveryDialog()) {
        SCOPED_TRACE(std::string(language.code) + " " + d.name + " at " + std::to_string(g.scale));
        const struct {
          HFONT font;
          int string_id;
          RECT box;
        } texts[] = {
            {heading_font.get(), d.heading, d.roomy_texts ? g.roomy_heading : g.heading},
            {body_font.get(), d.body, d.roomy_texts ? g.roomy_body : g.body},
            {button_font.get(), d.first, g.first_from_left},
            {button_font.get(), d.second, g.second_from_left},
        };
        for (const auto& t : texts) {
          if (!t.string_id) continue;
          const bool button = t.font == button_font.get();
          // A button's label keeps a margin from the face's rounded ends.
          const int width = t.box.right - t.box.left - (button ? 2 * Scale(8) : 0);
          const RECT size = needed(t.font, LoadUiString(t.string_id, language.id), width);
          EXPECT_LE(size.right, width) << t.string_id << " is clipped";
          EXPECT_LE(size.bottom, t.box.bottom - t.box.top) << t.string_id << " is clipped";
        }
      }
    }
  }
}

// The dialogs with the most text on the screen in every interface
// language: the language's texts, each fitting its control. Each dialog
// costs seconds under Wine, so the others are left to the measure above.
// The screenshots are kept in <build>/test-artefacts/languages/ as
// <code>_<dialog>_1.0.png.
TEST(MessageDialogTest, EveryLanguageOnTheScreen) {
  ScopedScreenBits bits(32);
  ScopedOpenRecorder open;
  const Geometry& g = kGeometries[0];
  ScopedScaleFactorForTesting scale(g.scale);
  for (const InterfaceLanguage& language : kInterfaceLanguages) {
    for (const DialogTexts& d : EveryDialog()) {
      if (std::string(d.name) != "crypto_pro" && std::string(d.name) != "download_failure") {
        continue;
      }
      const std::string name = std::string(language.code) + "_" + d.name + "_1.0";
      SCOPED_TRACE(name);
      std::unique_ptr<MessageDialog> dialog = d.make(language.id);
      ShowAndLook([&] { return dialog->RunModal(nullptr); },
                  [&](HWND window) {
                    EXPECT_EQ(ItemText(window, IDC_TITLE), TextOrNone(d.heading, language.id));
                    EXPECT_EQ(ItemText(window, IDC_BODY), TextOrNone(d.body, language.id));
                    if (d.first) {
                      EXPECT_EQ(ItemText(window, IDC_FIRST_BUTTON), TextOrNone(d.first, language.id));
                    }
                    EXPECT_EQ(ItemText(window, IDC_SECOND_BUTTON),
                              TextOrNone(d.second, language.id));
                    ExpectTextsFit(window);
                    Screenshot(window, g.shadow_margins).Save(name, "languages");
                  },
                  d.first ? IDC_FIRST_BUTTON : IDC_SECOND_BUTTON);
    }
  }
}

TEST(MessageDialogTest, DownloadEndsTheDialogEvenWhenThePageDoesNotOpen) {
  ScopedLogCapture log;
  ScopedOpenRecorder open(SE_ERR_NOASSOC);
  DownloadFailureDialog dialog(kEnglish, kAddress);
  HWND shown = nullptr;
  ModalScript script({[&](HWND window) { shown = window; }, Click(IDC_FIRST_BUTTON)});
  EXPECT_EQ(script.Play([&] { return dialog.RunModal(nullptr); }), 1);
  ASSERT_EQ(open.calls().size(), 1u);
  EXPECT_EQ(open.calls()[0].owner, shown);
  EXPECT_EQ(open.calls()[0].verb, "open");
  EXPECT_EQ(open.calls()[0].address, kAddress);
  EXPECT_EQ(open.calls()[0].show, SW_SHOW);
  EXPECT_TRUE(
      log.Contains(LOG_ERROR, "OnFirstButton", "Failed to open the download page, error 31"))
      << log.Dump();
}

TEST(MessageDialogTest, EachConditionOpensItsDialog) {
  ScopedScaleFactorForTesting scale(1.0);
  ScopedOpenRecorder open;
  struct Case {
    const char* what;
    std::function<INT_PTR()> run;
    const wchar_t* heading;  // null: no dialog
    const wchar_t* body;
    int button;  // the one clicked; the other one is hidden when |single|
    bool single;
    INT_PTR result;
  };
  const auto failure = [](int type) {
    return [type] { return RunInstallFailureDialog(type, kEnglish, kAddress); };
  };
  const wchar_t kError[] = L"An error occurred during installation";
  const Case cases[] = {
      {"no failure type", failure(0), nullptr, nullptr, 0, false, 0},
      {"general failure", failure(1), kError, kDownloadBody, IDC_SECOND_BUTTON, false, 113},
      {"failed download", failure(2), kError, kDownloadBody, IDC_FIRST_BUTTON, false, 1},
      {"CryptoPro fault", failure(3), L"Couldn't install Zelmar\u00a0Browser", kCryptoProBody,
       IDC_SECOND_BUTTON, true, 113},
      {"machine type", failure(4), kError, kMachineTypeBody, IDC_SECOND_BUTTON, true, 113},
      {"already installed", failure(5), kError,
       L"Zelmar Browser is already installed in Program Files.", IDC_SECOND_BUTTON, true, 113},
      {"unknown failure type", failure(9), kError, kDownloadBody, IDC_SECOND_BUTTON, false, 113},
      {"newer version", [] { return RunNewerVersionNotice(kEnglish); },
       L"You already have a newer version\nof the browser installed on your computer",
       kNewerVersionBody, IDC_FIRST_BUTTON, true, 1},
      {"not enough disk space", [] { return RunNotEnoughDiskSpaceNotice(kEnglish); },
       L"Not enough disk space\nto install Zelmar\u00a0Browser",
       L"Free up at least 600 MB and try again.", IDC_FIRST_BUTTON, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ModalScript script({
        [&](HWND window) {
          EXPECT_EQ(ItemText(window, IDC_TITLE), c.heading);
          EXPECT_EQ(ItemText(window, IDC_BODY), c.body);
          const int other = c.button == IDC_FIRST_BUTTON ? IDC_SECOND_BUTTON : IDC_FIRST_BUTTON;
          EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(window, c.button)));
          EXPECT_EQ(::IsWindowVisible(::GetDlgItem(window, other)) == 0, c.single);
        },
        Click(c.button),
    });
    EXPECT_EQ(script.Play(c.run), c.result);
    EXPECT_EQ(script.steps_run(), c.heading ? 2u : 0u);
  }
  // Only the failed download's Download button opened the page.
  ASSERT_EQ(open.calls().size(), 1u);
  EXPECT_EQ(open.calls()[0].address, kAddress);
}

TEST(ResumeDialogTest, ShownAgainAndEndedFromOutside) {
  ScopedScaleFactorForTesting scale(1.0);
  ResumeDialog dialog(kEnglish);
  EXPECT_FALSE(dialog.IsOpen());
  // The setup's close message ends it while it is open, as the main window
  // does; then the user opens it again and cancels.
  HWND first_shadow = nullptr;
  ModalScript ended_from_outside({[&](HWND window) {
    EXPECT_TRUE(dialog.IsOpen());
    EXPECT_EQ(dialog.window(), window);
    first_shadow = ShadowOf(window);
    ::EndDialog(dialog.window(), 1);
  }});
  EXPECT_EQ(ended_from_outside.Play([&] { return dialog.Run(); }), 1);
  EXPECT_FALSE(dialog.IsOpen());
  EXPECT_EQ(dialog.window(), nullptr);
  // The shadow went with the dialog's window.
  ASSERT_TRUE(first_shadow);
  EXPECT_FALSE(::IsWindow(first_shadow));

  ModalScript cancelled({
      [&](HWND window) {
        EXPECT_TRUE(dialog.IsOpen());
        EXPECT_EQ(ItemText(window, IDC_TITLE), L"Installation not complete. Resume?");
        ExpectRect(RectInDialog(window, IDC_SECOND_BUTTON), RECT{247, 126, 367, 154},
                   "second button");
        EXPECT_TRUE(ShadowOf(window));
      },
      TryToDismiss,
      Click(IDC_SECOND_BUTTON),
  });
  EXPECT_EQ(cancelled.Play([&] { return dialog.Run(); }), 113);
  EXPECT_EQ(cancelled.steps_run(), 3u);
  EXPECT_FALSE(dialog.IsOpen());
}

}  // namespace
}  // namespace lite
