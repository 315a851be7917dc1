#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "config/brand_info.h"
#include "map_distrib_params.h"
#include "ui/resource_ids.h"
#include "ui/resource_strings.h"

namespace lite {
namespace {

// The real window (template 1001) without an installer. A second thread
// plays the installer thread and the setup: it waits for the window, then
// runs each step, so observer calls arrive from another thread as they do
// in a run. A step returns whether the window is to be still open after it.
class WindowScript {
 public:
  using Step = std::function<void(MainWindow& window, HWND handle)>;

  explicit WindowScript(DistribParamsMap params = {}) : brand_(L""), params_(std::move(params)) {
    brand_.ApplyDefaults();
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
