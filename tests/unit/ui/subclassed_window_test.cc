#include "ui/subclassed_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ui_test_resources.h"
#include "ui_test_support.h"

namespace lite {
namespace {

constexpr UINT kAnswered = WM_APP + 1;
constexpr LRESULT kAnswer = 123;

// Records every message and answers kAnswered; |on_message| may do more
// (and handle the message by returning true).
class RecordingWindow : public SubclassedWindow {
 public:
  explicit RecordingWindow(int dialog_id = 0) : dialog_id_(dialog_id) {}

  bool HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                     LRESULT* result) override {
    messages.push_back(message);
    if (on_message && on_message(window, message, wparam, lparam, result)) return true;
    if (message != kAnswered) return false;
    *result = kAnswer;
    return true;
  }
  int DialogId() const override { return dialog_id_; }

  bool Saw(UINT message) const {
    for (UINT seen : messages) {
      if (seen == message) return true;
    }
    return false;
  }

  std::vector<UINT> messages;
  std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> on_message;

 private:
  int dialog_id_;
};

LONG_PTR Procedure(HWND window) {
  return ::GetWindowLongPtrW(window, GWLP_WNDPROC);
}

TEST(CenteredPositionTest, CentresThenKeepsInsideTheBounds) {
  struct Case {
    const char* what;
    SIZE size;
    RECT center;
    RECT bounds;
    POINT position;
  };
  const RECT screen = {0, 0, 1280, 1024};
  const Case cases[] = {
      {"child on its parent's client area", {100, 50}, {0, 0, 400, 300}, {0, 0, 400, 300},
       {150, 125}},
      {"halves are integer halves", {101, 51}, {0, 0, 401, 301}, {0, 0, 401, 301}, {150, 125}},
      {"popup on its owner", {100, 50}, {200, 100, 600, 400}, screen, {350, 225}},
      {"popup on the work area", {397, 174}, screen, screen, {442, 425}},
      {"past the right edge", {200, 50}, {1200, 0, 1280, 100}, screen, {1080, 25}},
      {"past the left edge", {200, 50}, {-100, 0, 0, 100}, screen, {0, 25}},
      {"past the bottom edge", {50, 100}, {0, 1000, 100, 1024}, screen, {25, 924}},
      {"past the top edge", {50, 100}, {0, -50, 100, 0}, screen, {25, 0}},
      {"wider than the bounds: the left edge wins", {2000, 50}, screen, screen, {0, 487}},
      {"second monitor", {100, 100}, {1280, 0, 2560, 1000}, {1280, 0, 2560, 1000}, {1870, 450}},
      {"second monitor, owner near its left edge", {400, 100}, {1290, 0, 1390, 100},
       {1280, 0, 2560, 1000}, {1280, 0}},
  };
  for (const Case& c : cases) {
    const POINT position = CenteredPosition(c.size, c.center, c.bounds);
    EXPECT_EQ(position.x, c.position.x) << c.what;
    EXPECT_EQ(position.y, c.position.y) << c.what;
  }
}

RECT WorkArea() {
  RECT area = {};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

TEST(CenterWindowTest, ChildOnParentClientArea) {
  ScopedWindow parent(CreatePopup(RECT{100, 100, 500, 400}));
  RecordingWindow child;
  ASSERT_TRUE(child.CreateChildWindow(parent.get(), RECT{0, 0, 100, 50}, L"", WS_CHILD, 0,
                                      nullptr, nullptr));
  child.CenterWindow();
  EXPECT_EQ(WindowRect(child.window()).left, 250);
  EXPECT_EQ(WindowRect(child.window()).top, 225);
  // On a sibling instead, and kept inside the parent.
  const HWND sibling = CreateChild(parent.get(), L"Static", L"", 0, RECT{340, 260, 400, 300});
  child.CenterWindow(sibling);
  EXPECT_EQ(WindowRect(child.window()).left, 100 + 300);
  EXPECT_EQ(WindowRect(child.window()).top, 100 + 250);
}

TEST(CenterWindowTest, PopupOnVisibleOwnerElseOnTheWorkArea) {
  const RECT area = WorkArea();
  const POINT screen_centre = {(area.left + area.right) / 2 - 50,
                               (area.top + area.bottom) / 2 - 25};
  struct Case {
    const char* what;
    int show;  // how the owner is shown
    bool on_owner;
  };
  const Case cases[] = {
      {"visible owner", SW_SHOWNOACTIVATE, true},
      {"minimised owner", SW_MINIMIZE, false},
      {"hidden owner", SW_HIDE, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedWindow owner(
        CreatePopup(RECT{200, 100, 600, 400}, WS_VISIBLE | WS_CAPTION | WS_MINIMIZEBOX));
    ::ShowWindow(owner.get(), c.show);
    EXPECT_EQ(::IsIconic(owner.get()) != 0, c.show == SW_MINIMIZE);
    RecordingWindow popup;
    ASSERT_TRUE(popup.CreateChildWindow(owner.get(), RECT{0, 0, 100, 50}, L"",
                                        WS_POPUP | WS_VISIBLE, 0, nullptr, nullptr));
    ASSERT_EQ(::GetWindow(popup.window(), GW_OWNER), owner.get());
    popup.CenterWindow();
    const RECT placed = WindowRect(popup.window());
    if (c.on_owner) {
      EXPECT_EQ(placed.left, 350);
      EXPECT_EQ(placed.top, 225);
    } else {
      EXPECT_EQ(placed.left, screen_centre.x);
      EXPECT_EQ(placed.top, screen_centre.y);
    }
    EXPECT_EQ(placed.right - placed.left, 100);
    EXPECT_EQ(placed.bottom - placed.top, 50);
  }
}

TEST(CenterWindowTest, UnownedPopupOnTheWorkArea) {
  const RECT area = WorkArea();
  RecordingWindow popup;
  ASSERT_TRUE(popup.CreateChildWindow(nullptr, RECT{0, 0, 397, 174}, L"", WS_POPUP, 0, nullptr,
                                      nullptr));
  popup.CenterWindow();
  EXPECT_EQ(WindowRect(popup.window()).left, (area.left + area.right) / 2 - 397 / 2);
  EXPECT_EQ(WindowRect(popup.window()).top, (area.top + area.bottom) / 2 - 174 / 2);
  ::DestroyWindow(popup.window());
}

TEST(SubclassedWindowTest, AttachRoutesMessagesAndDetachRestores) {
  ScopedWindow window(CreatePopup(RECT{0, 0, 50, 50}));
  ::SetWindowTextW(window.get(), L"four");
  const LONG_PTR original = Procedure(window.get());
  {
    RecordingWindow object;
    object.Attach(window.get());
    EXPECT_EQ(object.window(), window.get());
    EXPECT_NE(Procedure(window.get()), original);
    EXPECT_EQ(::SendMessageW(window.get(), kAnswered, 0, 0), kAnswer);
    // Left unhandled: the window class answers.
    EXPECT_EQ(::SendMessageW(window.get(), WM_GETTEXTLENGTH, 0, 0), 4);
    EXPECT_TRUE(object.Saw(WM_GETTEXTLENGTH));

    object.Detach();
    EXPECT_EQ(object.window(), nullptr);
    EXPECT_EQ(Procedure(window.get()), original);
    object.messages.clear();
    EXPECT_EQ(::SendMessageW(window.get(), kAnswered, 0, 0), 0);
    EXPECT_TRUE(object.messages.empty());

    object.Attach(window.get());
    EXPECT_EQ(::SendMessageW(window.get(), kAnswered, 0, 0), kAnswer);
  }
  // The destructor detached.
  EXPECT_EQ(Procedure(window.get()), original);
}

TEST(SubclassedWindowTest, EachWindowReachesItsOneObject) {
  ScopedWindow first_window(CreatePopup(RECT{0, 0, 50, 50}));
  ScopedWindow second_window(CreatePopup(RECT{0, 0, 50, 50}));
  const LONG_PTR static_procedure = Procedure(first_window.get());
  RecordingWindow first;
  RecordingWindow second;
  first.Attach(first_window.get());
  second.Attach(second_window.get());
  ::SendMessageW(first_window.get(), WM_APP + 7, 0, 0);
  EXPECT_TRUE(first.Saw(WM_APP + 7));
  EXPECT_FALSE(second.Saw(WM_APP + 7));
  // Moving one object to the other window leaves the first window alone
  // and takes the second over from its object.
  first.Attach(second_window.get());
  first.messages.clear();
  second.messages.clear();
  EXPECT_EQ(Procedure(first_window.get()), static_procedure);
  ::SendMessageW(first_window.get(), WM_APP + 8, 0, 0);
  EXPECT_FALSE(first.Saw(WM_APP + 8));
  EXPECT_EQ(second.window(), nullptr);
  EXPECT_EQ(::SendMessageW(second_window.get(), kAnswered, 0, 0), kAnswer);
  // Unhandled, it still reaches the window class: no circle back to the
  // shared procedure.
  EXPECT_EQ(::SendMessageW(second_window.get(), WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_TRUE(first.Saw(WM_GETTEXTLENGTH));
  EXPECT_TRUE(second.messages.empty());
  first.Detach();
  EXPECT_EQ(Procedure(second_window.get()), static_procedure);
}

TEST(SubclassedWindowTest, DetachAfterTheWindowIsGone) {
  RecordingWindow object;
  const HWND window = CreatePopup(RECT{0, 0, 50, 50});
  object.Attach(window);
  ::DestroyWindow(window);
  EXPECT_TRUE(object.Saw(WM_DESTROY));
  object.Detach();
  EXPECT_EQ(object.window(), nullptr);
  // The object attaches again as new.
  ScopedWindow other(CreatePopup(RECT{0, 0, 50, 50}));
  object.Attach(other.get());
  EXPECT_EQ(::SendMessageW(other.get(), kAnswered, 0, 0), kAnswer);
}

TEST(SubclassedWindowTest, CreateChildWindowMakesAndAttaches) {
  ScopedWindow parent(CreatePopup(RECT{10, 20, 310, 220}));
  RecordingWindow child;
  int token = 0;
  const HWND window = child.CreateChildWindow(parent.get(), RECT{5, 6, 45, 26}, L"name",
                                              WS_CHILD | WS_VISIBLE, WS_EX_TRANSPARENT, nullptr,
                                              &token);
  ASSERT_TRUE(window);
  EXPECT_EQ(child.window(), window);
  wchar_t class_name[32] = {};
  ::GetClassNameW(window, class_name, 32);
  EXPECT_STREQ(class_name, L"Static");
  EXPECT_EQ(::GetParent(window), parent.get());
  const RECT rect = WindowRect(window);
  EXPECT_EQ(rect.left, 15);
  EXPECT_EQ(rect.top, 26);
  EXPECT_EQ(rect.right, 55);
  EXPECT_EQ(rect.bottom, 46);
  EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  EXPECT_EQ(::SendMessageW(window, kAnswered, 0, 0), kAnswer);

  RecordingWindow button;
  const HWND button_window = button.CreateChildWindow(
      parent.get(), RECT{0, 0, 40, 20}, L"OK", WS_CHILD, 0, L"Button", nullptr);
  ASSERT_TRUE(button_window);
  ::GetClassNameW(button_window, class_name, 32);
  EXPECT_STREQ(class_name, L"Button");
}

constexpr UINT_PTR kEndTimer = 5;

TEST(RunModalTest, ReturnsTheEndDialogValue) {
  RecordingWindow dialog(IDD_TEST_DIALOG);
  HWND seen_window = nullptr;
  dialog.on_message = [&](HWND window, UINT message, WPARAM, LPARAM, LRESULT*) {
    if (message == WM_INITDIALOG) {
      seen_window = dialog.window();
      EXPECT_EQ(seen_window, window);
      ::SetTimer(window, kEndTimer, 10, nullptr);
    } else if (message == WM_TIMER) {
      ::KillTimer(window, kEndTimer);
      ::EndDialog(window, 42);
      return true;
    }
    return false;
  };
  ScopedWindow owner(CreatePopup(RECT{0, 0, 50, 50}));
  EXPECT_EQ(dialog.RunModal(owner.get()), 42);
  EXPECT_TRUE(seen_window);
  EXPECT_TRUE(dialog.Saw(WM_INITDIALOG));
  EXPECT_TRUE(dialog.Saw(WM_TIMER));
  EXPECT_FALSE(::IsWindow(seen_window));
}

TEST(RunModalTest, OwnerIsTheParentElseTheActiveWindow) {
  ScopedWindow parent(CreatePopup(RECT{0, 0, 50, 50}, WS_CAPTION));
  ScopedWindow active(CreatePopup(RECT{60, 0, 110, 50}, WS_VISIBLE | WS_CAPTION));
  ::SetForegroundWindow(active.get());
  ::SetActiveWindow(active.get());
  ASSERT_EQ(::GetActiveWindow(), active.get());
  struct Case {
    HWND parent;
    HWND owner;
  };
  for (const Case& c : {Case{parent.get(), parent.get()}, Case{nullptr, active.get()}}) {
    RecordingWindow dialog(IDD_TEST_DIALOG);
    HWND owner = nullptr;
    dialog.on_message = [&](HWND window, UINT message, WPARAM, LPARAM, LRESULT*) {
      if (message != WM_INITDIALOG) return false;
      owner = ::GetWindow(window, GW_OWNER);
      ::EndDialog(window, 7);
      return false;
    };
    EXPECT_EQ(dialog.RunModal(c.parent), 7);
    EXPECT_EQ(owner, c.owner);
  }
}

TEST(RunModalTest, MissingTemplate) {
  RecordingWindow dialog(9999);
  EXPECT_EQ(dialog.RunModal(nullptr), -1);
  EXPECT_TRUE(dialog.messages.empty());
}

TEST(RunModalTest, ItemTexts) {
  RecordingWindow dialog(IDD_TEST_DIALOG);
  std::vector<std::wstring> texts;
  auto text = [](HWND window) {
    wchar_t buffer[64] = {};
    ::GetDlgItemTextW(window, 100, buffer, 64);
    return std::wstring(buffer);
  };
  dialog.on_message = [&](HWND window, UINT message, WPARAM, LPARAM, LRESULT*) {
    if (message != WM_INITDIALOG) return false;
    dialog.SetItemText(100, L"Set directly");
    texts.push_back(text(window));
    dialog.SetItemTextFromString(100, IDS_TEST_STRING, 0x409);
    texts.push_back(text(window));
    dialog.SetItemTextFromString(100, IDS_TEST_MISSING_STRING, 0x409);
    texts.push_back(text(window));
    ::EndDialog(window, 1);
    return false;
  };
  EXPECT_EQ(dialog.RunModal(nullptr), 1);
  EXPECT_EQ(texts, (std::vector<std::wstring>{L"Set directly", L"Text from the table", L""}));
}

}  // namespace
}  // namespace lite
