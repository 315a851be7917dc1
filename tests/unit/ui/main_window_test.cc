#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "config/brand_info.h"
#include "map_distrib_params.h"
#include "ui/resource_ids.h"

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
      // Lets the window's thread take what was posted.
      ::Sleep(150);
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

TEST(MainWindowTest, HowTheWindowEnds) {
  using Step = WindowScript::Step;
  const Step finished = [](MainWindow& w, HWND) { w.OnInstallFinished(1); };
  const Step failed = [](MainWindow& w, HWND) { w.OnInstallFailed(kInstallFailedDownload); };
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
  const DistribParamsMap quick_start = {{"first", "1"}, {"def", "1"}, {"stat", "2"}};
  struct Case {
    const char* name;
    DistribParamsMap params;
    std::vector<Step> steps;
    INT_PTR result;
    std::vector<bool> open_after;
  };
  const Case cases[] = {
      {"close button", {}, {close_button}, MainWindow::kClosedOnFirstScreen, {false}},
      {"system close", {}, {kSystemClose}, MainWindow::kSystemClose, {false}},
      {"escape keeps the window", {}, {escape, kSystemClose}, 2, {true, false}},
      // Reports that arrive before Install count only once it is clicked.
      {"finish before Install", {}, {finished, kClickInstall, finished}, 1, {true, true, false}},
      {"failure before Install", {}, {failed, kClickInstall}, 1, {true, false}},
      {"failure after Install", {}, {kClickInstall, failed}, 1, {true, false}},
      {"failure without a dialog", {}, {kClickInstall, no_dialog_failure}, 1, {true, false}},
      {"setup progress keeps the window", {}, {setup_progress, kSystemClose}, 2, {true, false}},
      {"setup closes the window", {}, {kSetupCloses}, 1, {false}},
      {"newer version", {}, {newer_version}, 1, {false}},
      // Quick start never counts as a click: only the setup or the user end it.
      {"quick start ignores the flow's reports", quick_start, {finished, failed, kClickInstall,
       finished, kSetupCloses}, 1, {true, true, true, true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WindowScript script(c.params);
    std::vector<bool> open_after;
    EXPECT_EQ(script.Run(c.steps, &open_after), c.result);
    EXPECT_EQ(open_after, c.open_after);
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
