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
#include <utility>
#include <vector>

#include "captured_log.h"
#include "test_util.h"
#include "ui/crypto_pro_dialog.h"
#include "ui/download_failure_dialog.h"
#include "ui/message_dialogs.h"
#include "ui/notice_dialog.h"
#include "ui/resource_bitmap.h"
#include "ui/resource_ids.h"
#include "ui/resume_dialog.h"
#include "ui/scale_factor.h"
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

// The dialog this thread shows, once it is visible.
HWND ShownDialog() {
  g_found_dialog = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), &FindShownDialog, 0);
  return g_found_dialog;
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

// The dialog on the screen with its shadow margins, as a person sees it.
// Saved as <build>/test-artefacts/dialogs/|name|.png.
class Screenshot : public TestCanvas {
 public:
  Screenshot(HWND dialog, const RECT& margins)
      : TestCanvas(WindowRect(dialog).right - WindowRect(dialog).left + margins.left +
                       margins.right,
                   WindowRect(dialog).bottom - WindowRect(dialog).top + margins.top +
                       margins.bottom),
        origin_{margins.left, margins.top} {
    const RECT rect = WindowRect(dialog);
    ScopedGetDc screen(nullptr);
    ::BitBlt(dc(), 0, 0, width(), height(), screen.get(), rect.left - margins.left,
             rect.top - margins.top, SRCCOPY);
    ::GdiFlush();
  }

  // A pixel of the dialog, in its client coordinates.
  COLORREF At(int x, int y) const { return Colour(origin_.x + x, origin_.y + y); }

  void Save(const std::string& name) const {
    const std::wstring folder = ExecutableFolder() + L"\\..\\..\\test-artefacts";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ::CreateDirectoryW((folder + L"\\dialogs").c_str(), nullptr);
    const std::wstring path = folder + L"\\dialogs\\" + std::wstring(name.begin(), name.end()) +
                              L".png";
    // The PNG encoder of GDI+.
    const CLSID png = {0x557cf406, 0x1a04, 0x11d3,
                       {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    Gdiplus::GpBitmap* image = nullptr;
    ASSERT_EQ(Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap(), nullptr, &image),
              Gdiplus::Ok);
    EXPECT_EQ(Gdiplus::DllExports::GdipSaveImageToFile(image, path.c_str(), &png, nullptr),
              Gdiplus::Ok);
    Gdiplus::DllExports::GdipDisposeImage(image);
  }

 private:
  POINT origin_;
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
    L"You computer has an old version\nof CryptoPro Revocation Provider installed.\n"
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
  // Each text, wrapped as the static wraps it, fits its rectangle.
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
