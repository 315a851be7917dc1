#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/string_conversion.h"
#include "config/brand_info.h"
#include "map_distrib_params.h"
#include "ui/drawing.h"
#include "ui/link_markup.h"
#include "ui/link_markup_layout.h"
#include "ui/main_window_layout.h"
#include "ui/main_window_theme.h"
#include "ui/resource_ids.h"
#include "ui/resource_strings.h"
#include "ui/scale_factor.h"
#include "ui/text_metrics.h"
#include "ui_test_support.h"

namespace lite {
namespace {

// The real window (template 1001) without an installer. A second thread
// plays the installer thread and the setup: it waits for the window, then
// runs each step, so observer calls arrive from another thread as they do
// in a run. A step returns whether the window is to be still open after it.
class WindowScript {
 public:
  using Step = std::function<void(MainWindow& window, HWND handle)>;

  // |language|: the interface language, as the tag's "lang" gives it.
  explicit WindowScript(DistribParamsMap params = {}, const char* language = nullptr)
      : brand_(L""), params_(std::move(params)) {
    brand_.ApplyDefaults();
    if (language) brand_.SetInterfaceLanguage(language);
  }

  // RunModal's result; |open_after| gets, per step, whether the window was
  // still shown a moment after the step.
  INT_PTR Run(const std::vector<Step>& steps, std::vector<bool>* open_after) {
    MainWindow window(&brand_, &params_, false);
    steps_ = &steps;
    window_ = &window;
    open_after_ = open_after;
    const HANDLE thread = ::CreateThread(nullptr, 0, &WindowScript::Play, this, 0, nullptr);
    const INT_PTR result = window.RunModal(nullptr);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    return result;
  }

 private:
  static DWORD WINAPI Play(void* self) {
    auto* script = static_cast<WindowScript*>(self);
    HWND handle = nullptr;
    for (int i = 0; i < 1000; ++i) {
      handle = script->window_->GetWindowHandle();
      if (handle && ::IsWindowVisible(handle)) break;
      ::Sleep(10);
    }
    for (const Step& step : *script->steps_) {
      if (!::IsWindow(handle) || !::IsWindowVisible(handle)) break;
      step(*script->window_, handle);
      // Lets the window's thread take what was posted. The last step ends
      // the window, at Wine's pace when a dialog over it must go first.
      const bool last = &step == &script->steps_->back();
      for (int waited = 0; waited < (last ? 5000 : 150); waited += 50) {
        ::Sleep(50);
        if (waited >= 100 && !(::IsWindow(handle) && ::IsWindowVisible(handle))) break;
      }
      script->open_after_->push_back(::IsWindow(handle) && ::IsWindowVisible(handle));
    }
    return 0;
  }

  BrandInfo brand_;
  MapDistribParams params_;
  const std::vector<Step>* steps_ = nullptr;
  MainWindow* window_ = nullptr;
  std::vector<bool>* open_after_ = nullptr;
};

void Command(HWND handle, int id) { ::SendMessageW(handle, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void PostRegistered(HWND handle, const wchar_t* name, WPARAM wparam = 0) {
  ::PostMessageW(handle, ::RegisterWindowMessageW(name), wparam, 0);
}

const WindowScript::Step kClickInstall = [](MainWindow&, HWND h) { Command(h, IDC_INSTALL_BUTTON); };
const WindowScript::Step kSystemClose = [](MainWindow&, HWND h) {
  ::PostMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);
};
const WindowScript::Step kSetupCloses = [](MainWindow&, HWND h) {
  PostRegistered(h, L"zelmar.lite.close_window");
};

struct DialogSearch {
  HWND main;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  wchar_t name[16] = {};
  ::GetClassNameW(window, name, 16);
  if (window == search->main || !::IsWindowVisible(window) || std::wstring(name) != L"#32770") {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

// A message dialog shown on the window's thread, once it shows; null when
// none shows within a few seconds.
HWND WaitForDialog(HWND main, int tries = 500) {
  DialogSearch search = {main, nullptr};
  for (int i = 0; i < tries && !search.found; ++i) {
    ::EnumThreadWindows(::GetWindowThreadProcessId(main, nullptr), &FindDialog,
                        reinterpret_cast<LPARAM>(&search));
    if (!search.found) ::Sleep(10);
  }
  return search.found;
}

// Presses |button| in the dialog that shows; returns its heading.
std::wstring AnswerDialog(HWND main, int button) {
  const HWND dialog = WaitForDialog(main);
  if (!dialog) return L"(no dialog)";
  wchar_t heading[256] = {};
  ::GetDlgItemTextW(dialog, IDC_TITLE, heading, 256);
  ::PostMessageW(dialog, WM_COMMAND, button, 0);
  return heading;
}

std::wstring English(int string_id) { return LoadUiString(string_id, 1033); }

TEST(MainWindowTest, HowTheWindowEnds) {
  using Step = WindowScript::Step;
  const Step finished = [](MainWindow& w, HWND) { w.OnInstallFinished(1); };
  std::vector<std::wstring> headings;
  const Step failed = [](MainWindow& w, HWND) { w.OnInstallFailed(kInstallFailedDownload); };
  // A step whose effect opens a dialog, answered with |button|.
  const auto answered = [&headings](Step step, int button) -> Step {
    return [&headings, step, button](MainWindow& w, HWND h) {
      step(w, h);
      headings.push_back(AnswerDialog(h, button));
    };
  };
  const Step post_install = [](MainWindow&, HWND h) {
    ::PostMessageW(h, WM_COMMAND, IDC_INSTALL_BUTTON, 0);
  };
  const Step progress_close = [](MainWindow&, HWND h) {
    ::PostMessageW(h, WM_COMMAND, IDC_PROGRESS_CLOSE_BUTTON, 0);
  };
  const Step no_dialog_failure = [](MainWindow& w, HWND) { w.OnInstallFailed(0); };
  const Step escape = [](MainWindow&, HWND h) { Command(h, IDCANCEL); };
  const Step close_button = [](MainWindow&, HWND h) { Command(h, IDC_CLOSE_BUTTON); };
  const Step newer_version = [](MainWindow&, HWND h) {
    PostRegistered(h, L"zelmar.higher_version_exist");
  };
  const Step setup_progress = [](MainWindow&, HWND h) {
    PostRegistered(h, L"zelmar.lite.set_install_progress", 5);
    PostRegistered(h, L"zelmar.lite.set_import_progress", 50);
  };
  const Step setup_starts = [](MainWindow& w, HWND h) {
    w.RemoveCancelButton();
    ::Sleep(100);
    // The question has lost its point, and went.
    EXPECT_EQ(WaitForDialog(h, 1), nullptr);
  };
  const DistribParamsMap quick_start = {{"first", "1"}, {"def", "1"}, {"stat", "2"}};
  const DistribParamsMap can_cancel = {{"cancel", "1"}};
  struct Case {
    const char* name;
    DistribParamsMap params;
    std::vector<Step> steps;
    INT_PTR result;
    std::vector<bool> open_after;
    std::vector<int> headings;
  };
  const Case cases[] = {
      {"close button", {}, {close_button}, MainWindow::kClosedOnFirstScreen, {false}},
      {"system close", {}, {kSystemClose}, MainWindow::kSystemClose, {false}},
      {"escape keeps the window", {}, {escape, kSystemClose}, 2, {true, false}},
      // Reports that arrive before Install count only once it is clicked.
      {"finish before Install", {}, {finished, kClickInstall, finished}, 1, {true, true, false}},
      // A failure ends the window once its dialog is answered, either way.
      {"failure before Install", {}, {failed, answered(post_install, IDC_SECOND_BUTTON)}, 1,
       {true, false}, {418}},
      {"failure after Install", {}, {kClickInstall, answered(failed, IDC_SECOND_BUTTON)}, 1,
       {true, false}, {418}},
      {"failure without a dialog", {}, {kClickInstall, no_dialog_failure}, 1, {true, false}},
      {"setup progress keeps the window", {}, {setup_progress, kSystemClose}, 2, {true, false}},
      {"setup closes the window", {}, {kSetupCloses}, 1, {false}},
      {"newer version", {}, {answered(newer_version, IDC_FIRST_BUTTON)}, 1, {false}, {424}},
      // The progress screen's close button asks; Cancel ends, Resume goes on.
      {"cancel confirmed", can_cancel,
       {kClickInstall, answered(progress_close, IDC_SECOND_BUTTON)},
       MainWindow::kCancelledOnProgressScreen, {true, false}, {410}},
      {"resume", can_cancel,
       {kClickInstall, answered(progress_close, IDC_FIRST_BUTTON),
        answered(progress_close, IDC_FIRST_BUTTON), kSetupCloses},
       1, {true, true, true, false}, {410, 410}},
      {"system close asks on the progress screen", can_cancel,
       {kClickInstall, answered(kSystemClose, IDC_SECOND_BUTTON)}, MainWindow::kSystemClose,
       {true, false}, {410}},
      {"system close cannot cancel what the distribution does not let cancel", {},
       {kClickInstall, kSystemClose, kSetupCloses}, 1, {true, true, false}},
      // The setup's messages end an open question.
      {"setup closes over the question", can_cancel, {kClickInstall, progress_close, kSetupCloses},
       1, {true, true, false}},
      {"setup starts over the question", can_cancel,
       {kClickInstall, progress_close, setup_starts, kSystemClose, kSetupCloses}, 1,
       {true, true, true, true, false}},
      // Quick start never counts as a click: only the setup or the user end it.
      {"quick start ignores the flow's reports", quick_start, {finished, failed, kClickInstall,
       finished, kSetupCloses}, 1, {true, true, true, true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WindowScript script(c.params);
    std::vector<bool> open_after;
    headings.clear();
    EXPECT_EQ(script.Run(c.steps, &open_after), c.result);
    EXPECT_EQ(open_after, c.open_after);
    std::vector<std::wstring> expected;
    for (int id : c.headings) expected.push_back(English(id));
    EXPECT_EQ(headings, expected);
  }
}

std::wstring ControlText(HWND window, int id) {
  wchar_t text[64] = {};
  ::GetDlgItemTextW(window, id, text, 64);
  return text;
}

// What the progress screen shows after each report, read from the percent
// label (a report that changes nothing leaves a marker text in place).
TEST(MainWindowTest, ProgressScreenShowsEachNewPercentOnce) {
  using Step = WindowScript::Step;
  std::vector<std::wstring> labels;
  const auto report = [&labels](int percent) -> Step {
    return [&labels, percent](MainWindow& w, HWND h) {
      ::SetDlgItemTextW(h, IDC_PERCENT_LABEL, L"marker");
      w.SetProgressPercent(percent);
      ::Sleep(100);
      labels.push_back(ControlText(h, IDC_PERCENT_LABEL));
    };
  };
  const Step stage = [&labels](MainWindow&, HWND h) {
    PostRegistered(h, L"zelmar.lite.set_install_progress", 7);
    ::Sleep(100);
    labels.push_back(ControlText(h, IDC_PERCENT_LABEL));
  };
  WindowScript script;
  std::vector<bool> open_after;
  // 12 % before the switch is where the bar starts; 30 twice changes the
  // label once; stage 7 is 79 %.
  EXPECT_EQ(script.Run({report(12), kClickInstall, report(30), report(30), stage, kSetupCloses},
                       &open_after),
            1);
  EXPECT_EQ(labels, (std::vector<std::wstring>{L"marker", L"30%", L"marker", L"79%"}));
}

// The progress screen's own close button shows only where the
// distribution lets the user cancel, at the first screen's close button.
TEST(MainWindowTest, ProgressScreenCloseButtonFollowsTheCancelParameter) {
  for (const char* cancel : std::vector<const char*>{"1", "0", nullptr}) {
    SCOPED_TRACE(cancel ? cancel : "absent");
    DistribParamsMap params;
    if (cancel) params["cancel"] = cancel;
    WindowScript script(params);
    std::vector<bool> open_after;
    bool visible = false;
    RECT close = {};
    bool first_screen_gone = false;
    const WindowScript::Step look = [&](MainWindow&, HWND h) {
      const HWND button = ::GetDlgItem(h, IDC_PROGRESS_CLOSE_BUTTON);
      visible = button && ::IsWindowVisible(button);
      if (button) {
        ::GetWindowRect(button, &close);
        ::MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&close), 2);
      }
      first_screen_gone = !::GetDlgItem(h, IDC_INSTALL_BUTTON) && !::GetDlgItem(h, IDC_TITLE) &&
                          !::GetDlgItem(h, IDC_STATISTICS_CHECK_BOX) &&
                          ::IsWindowVisible(::GetDlgItem(h, IDC_PROGRESS_BAR));
    };
    EXPECT_EQ(script.Run({kClickInstall, look, kSetupCloses}, &open_after), 1);
    EXPECT_TRUE(first_screen_gone);
    EXPECT_EQ(visible, cancel && std::string(cancel) == "1");
    if (visible) {
      EXPECT_EQ(close.left, 700);
      EXPECT_EQ(close.top, 16);
    }
  }
}

// The window's fonts as the theme names them, at the current scale.
class ThemeFonts {
 public:
  explicit ThemeFonts(const MainWindowTheme& theme) {
    for (int number = 1; number <= MainWindowTheme::kFontCount; ++number) {
      const FontSpec spec = theme.Font(number);
      fonts_[number - 1] = CreateUiFont(spec.face, Scale(spec.size), FW_NORMAL, spec.underline);
    }
  }
  HFONT operator()(int number) const { return fonts_[number - 1].get(); }

 private:
  ScopedFont fonts_[MainWindowTheme::kFontCount];
};

RECT ChildRect(HWND parent, HWND child) {
  RECT rect = WindowRect(child);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The size |text| takes in |font| when wrapped at |width| as DrawTextW
// wraps it (wider than |width| when a word does not fit).
SIZE WrappedSize(HFONT font, const std::wstring& text, int width, UINT format = DT_WORDBREAK) {
  ScopedGetDc dc(nullptr);
  ScopedSelectObject select(dc.get(), font);
  RECT rect = {0, 0, width, 0};
  ::DrawTextW(dc.get(), text.c_str(), -1, &rect, DT_CALCRECT | format);
  return {rect.right, rect.bottom};
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// The shown controls of the window: none leaves the window or overlaps
// another, and every piece of a note stays inside the note's rectangle.
void ExpectShownControlsApart(HWND window, const RECT& note, int note_text_id, int note_link_id) {
  std::vector<HWND> shown;
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    const RECT r = ChildRect(window, child);
    if (::IsWindowVisible(child) && r.right > r.left && r.bottom > r.top) shown.push_back(child);
  }
  RECT client = {};
  ::GetClientRect(window, &client);
  for (size_t i = 0; i < shown.size(); ++i) {
    const RECT a = ChildRect(window, shown[i]);
    const int id = ::GetDlgCtrlID(shown[i]);
    EXPECT_TRUE(Inside(a, client)) << "control " << id << " leaves the window";
    if (id == note_text_id || id == note_link_id) {
      EXPECT_TRUE(Inside(a, note)) << "a piece of the note leaves its rectangle: "
                                   << WideToUTF8(WindowText(shown[i]));
    }
    for (size_t j = i + 1; j < shown.size(); ++j) {
      RECT overlap = {};
      const RECT b = ChildRect(window, shown[j]);
      EXPECT_FALSE(::IntersectRect(&overlap, &a, &b))
          << "controls " << id << " and " << ::GetDlgCtrlID(shown[j]) << " overlap";
    }
  }
}

// The first screen's texts in |language| each fit their control with the
// font the window draws it in.
void ExpectFirstScreenFits(HWND h, uint32_t language, const ThemeFonts& font, int layout_type) {
  EXPECT_EQ(WindowText(h), LoadUiString(400, language));
  const HWND install = ::GetDlgItem(h, IDC_INSTALL_BUTTON);
  EXPECT_EQ(WindowText(install), LoadUiString(405, language));
  const RECT install_rect = ChildRect(h, install);
  const SIZE install_text = WrappedSize(font(2), WindowText(install), 0, DT_SINGLELINE);
  EXPECT_LE(install_text.cx, install_rect.right - install_rect.left - Scale(16)) << "Install";

  const HWND title = ::GetDlgItem(h, IDC_TITLE);
  EXPECT_EQ(WindowText(title), LoadUiString(404, language));
  const RECT title_rect = ChildRect(h, title);
  const SIZE title_size =
      WrappedSize(font(1), WindowText(title), title_rect.right - title_rect.left);
  EXPECT_LE(title_size.cx, title_rect.right - title_rect.left) << "title";
  EXPECT_LE(title_size.cy, title_rect.bottom - title_rect.top) << "title";

  // A box's label starts right of the box (margin, 16 pixels, gap 8).
  for (const auto& [id, string_id] : {std::pair{IDC_DEFAULT_CHECK_BOX, 413},
                                      std::pair{IDC_STATISTICS_CHECK_BOX, 414},
                                      std::pair{IDC_MIRRA_CHECK_BOX, 415}}) {
    const HWND box = ::GetDlgItem(h, id);
    if (!::IsWindowVisible(box)) continue;
    EXPECT_EQ(WindowText(box), LoadUiString(string_id, language));
    const RECT r = ChildRect(h, box);
    const int label_width = r.right - r.left - Scale(16) - Scale(8) - 4;
    const SIZE label = WrappedSize(font(3), WindowText(box), label_width);
    EXPECT_LE(label.cx, label_width) << "box " << id;
    EXPECT_LE(label.cy, r.bottom - r.top) << "box " << id;
  }
  const HWND privacy = ::GetDlgItem(h, IDC_PRIVACY_LINK);
  if (::IsWindowVisible(privacy)) {
    EXPECT_EQ(WindowText(privacy), LoadUiString(417, language));
  }
  const MainWindowLayout layout(layout_type, VisualVariant::kB);
  ExpectShownControlsApart(h, ScaleRect(layout.LicenceNoteRect()), IDC_LICENCE_NOTE,
                           IDC_LICENCE_LINK);
}

// The built-in slide's security panel: the heading on one line and the
// body's lines inside the panel, as DrawSlideExtras lays them out.
void ExpectSlideTextFits(uint32_t language, const ThemeFonts& font) {
  const int width = Scale(304);
  ScopedGetDc dc(nullptr);
  const SIZE heading = WrappedSize(font(5), LoadUiString(406, language), 0, DT_SINGLELINE);
  EXPECT_LE(heading.cx, width) << "slide heading";
  const std::vector<LayoutPiece> pieces =
      LayoutSegments(TokenizeLinkMarkup(LoadUiString(407, language)), font(6), dc.get(), width);
  ASSERT_FALSE(pieces.empty());
  int lines = 0;
  for (const LayoutPiece& piece : pieces) {
    EXPECT_LE(piece.x + piece.width, width) << "slide text: " << WideToUTF8(piece.text);
    lines = std::max(lines, piece.line + 1);
  }
  const int top = Scale(126 + 16) + LineHeight(font(1));
  const int line_height = static_cast<int>(LineHeight(font(6)) * 1.4);
  EXPECT_LE(top + lines * line_height, Scale(400)) << lines << " lines of slide text";
}

// The boxes of the narrow layout (two boxes side by side) and the quick
// start's one-line note, laid out as the window lays them out.
void ExpectNarrowBoxesAndQuickStartNoteFit(uint32_t language, const ThemeFonts& font) {
  const MainWindowLayout narrow(3, VisualVariant::kB);
  const RECT note = ScaleRect(narrow.LicenceNoteRect());
  for (const auto& [string_id, layout_rect] : {std::pair{413, narrow.DefaultCheckBoxRect()},
                                               std::pair{414, narrow.StatisticsCheckBoxRect()}}) {
    const RECT r = ScaleRect(layout_rect);
    const int label_width = r.right - r.left - Scale(16) - Scale(8) - 4;
    const SIZE label = WrappedSize(font(3), LoadUiString(string_id, language), label_width);
    EXPECT_LE(label.cx, label_width) << "narrow box " << string_id;
    // The privacy link goes under the statistics label, above the note.
    const int link = string_id == 414 ? LineHeight(font(4)) : 0;
    EXPECT_LE(r.top + 4 + label.cy + link, note.top) << "narrow box " << string_id;
  }
  const RECT quick = ScaleRect(narrow.QuickStartNoteRect());
  ScopedGetDc dc(nullptr);
  for (const LayoutPiece& piece :
       LayoutSegments(TokenizeLinkMarkup(LoadUiString(430, language)), font(7), dc.get(),
                      quick.right - quick.left)) {
    EXPECT_EQ(piece.line, 0) << "the quick start's note wraps at " << WideToUTF8(piece.text);
    EXPECT_LE(piece.x + piece.width, quick.right - quick.left);
  }
}

// The window in every interface language at both scales: the first screen
// of the default layout (here the statistics and default boxes side by
// side, the narrowest) and the progress screen with the
// built-in slide's text, on the screen; the narrow layout and the quick
// start's note by their layout. The screenshots are kept in
// <build>/test-artefacts/languages/ as <code>_<screen>_<scale>.png.
TEST(MainWindowTest, EveryLanguageFits) {
  using Step = WindowScript::Step;
  const Step pause = [](MainWindow&, HWND) {};
  for (const double factor : {1.0, 1.5}) {
    ScopedScaleFactorForTesting scale(factor);
    for (const InterfaceLanguage& language : kInterfaceLanguages) {
      const std::string suffix = factor == 1.0 ? "_1.0" : "_1.5";
      const std::string code = language.code;
      SCOPED_TRACE(code + suffix);
      BrandInfo brand(L"");
      const MainWindowTheme theme(VisualVariant::kB, &brand, nullptr);
      const ThemeFonts font(theme);
      const auto shot = [&](const std::string& screen) {
        return [&, screen](MainWindow&, HWND h) {
          Screenshot(h).Save(code + "_" + screen + suffix, "languages");
        };
      };
      std::vector<bool> open_after;
      WindowScript script({}, language.code);
      script.Run({pause, shot("first"),
                  [&](MainWindow&, HWND h) {
                    SCOPED_TRACE(code + suffix);  // the script's thread has its own trace
                    ExpectFirstScreenFits(h, language.id, font, 7);
                  },
                  kClickInstall, shot("progress"),
                  [&](MainWindow&, HWND) {
                    SCOPED_TRACE(code + suffix);
                    ExpectSlideTextFits(language.id, font);
                    ExpectNarrowBoxesAndQuickStartNoteFit(language.id, font);
                  },
                  kSetupCloses},
                 &open_after);
      EXPECT_EQ(open_after.size(), 7u);
    }
  }
}

TEST(MainWindowTest, ParametersDecideQuickStartAndElevationMode) {
  BrandInfo brand(L"");
  brand.ApplyDefaults();
  const struct {
    DistribParamsMap params;
    bool quick_start;
    int elevation_mode;
  } cases[] = {
      {{}, false, 0},
      {{{"first", "1"}, {"def", "2"}, {"stat", "1"}}, true, 0},
      {{{"first", "1"}, {"def", "2"}, {"statpromo", "x"}}, true, 0},
      // "uac" = 0 asks at once in quick start, else when Install is clicked.
      {{{"first", "1"}, {"def", "2"}, {"stat", "1"}, {"uac", "0"}}, true, 1},
      {{{"uac", "0"}}, false, 0},
      {{{"first", "1"}, {"def", "2"}}, false, 0},
      {{{"first", "1"}, {"stat", "1"}}, false, 0},
      {{{"first", "1"}, {"def", "1"}, {"stat", "1"}, {"uac", "2"}}, true, 2},
      {{{"uac", "1"}}, false, 1},
      {{{"uac", "7"}}, false, 0},
  };
  for (const auto& c : cases) {
    const MapDistribParams params(c.params);
    const MainWindow window(&brand, &params, false);
    EXPECT_EQ(window.quick_start(), c.quick_start);
    EXPECT_EQ(window.elevation_mode(), c.elevation_mode);
    EXPECT_EQ(window.installer(), nullptr);
  }
}

}  // namespace
}  // namespace lite
