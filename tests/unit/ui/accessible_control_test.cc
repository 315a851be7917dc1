#include "ui/accessible_control.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <thread>

#include "base/scoped_handle.h"
#include "ui_test_support.h"

namespace lite {
namespace {

VARIANT Child(LONG id) {
  VARIANT child;
  ::VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

// A BSTR answer with its HRESULT; the text is freed here.
struct TextAnswer {
  HRESULT result;
  std::wstring text;
  bool operator==(const TextAnswer& other) const {
    return result == other.result && text == other.text;
  }
};

template <typename Method>
TextAnswer AskText(IAccessible* object, Method method, LONG child) {
  BSTR text = nullptr;
  const HRESULT result = (object->*method)(Child(child), &text);
  TextAnswer answer = {result, text ? std::wstring(text, ::SysStringLen(text)) : L""};
  ::SysFreeString(text);
  return answer;
}

ScopedComPtr<IAccessible> FromWindow(HWND window) {
  ScopedComPtr<IAccessible> object;
  if (FAILED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible), object.receive_void()))) {
    object.reset();
  }
  return object;
}

LONG RoleOf(IAccessible* object, LONG child = CHILDID_SELF) {
  VARIANT role;
  ::VariantInit(&role);
  if (FAILED(object->get_accRole(Child(child), &role)) || role.vt != VT_I4) return -1;
  return role.lVal;
}

class AccessibleControlTest : public testing::Test {
 protected:
  void SetUp() override {
    parent_.reset(CreatePopup(RECT{10, 10, 210, 110}));
    control_ = CreateChild(parent_.get(), L"Static", L"Label text", 0, RECT{5, 5, 105, 25});
    ASSERT_TRUE(control_);
  }

  ScopedWindow parent_;
  HWND control_ = nullptr;
};

TEST_F(AccessibleControlTest, AnswersWhatIsSetThroughTheWindow) {
  AccessibleControl accessible(control_);
  accessible.SetAccessibleInfo(ROLE_SYSTEM_LINK, L"Privacy policy", L"Opens the page");
  accessible.SetAccessibleValue(42);
  ScopedComPtr<IAccessible> object = FromWindow(control_);
  ASSERT_TRUE(object);
  EXPECT_EQ(AskText(object.get(), &IAccessible::get_accName, CHILDID_SELF),
            (TextAnswer{S_OK, L"Privacy policy"}));
  EXPECT_EQ(AskText(object.get(), &IAccessible::get_accDescription, CHILDID_SELF),
            (TextAnswer{S_OK, L"Opens the page"}));
  EXPECT_EQ(AskText(object.get(), &IAccessible::get_accValue, CHILDID_SELF),
            (TextAnswer{S_OK, L"42%"}));
  EXPECT_EQ(RoleOf(object.get()), ROLE_SYSTEM_LINK);
  // The control itself is its own child "self".
  ScopedComPtr<IDispatch> self;
  ASSERT_EQ(object->get_accChild(Child(CHILDID_SELF), self.receive()), S_OK);
  ScopedComPtr<IAccessible> self_accessible;
  ASSERT_EQ(self->QueryInterface(__uuidof(IAccessible), self_accessible.receive_void()), S_OK);
  EXPECT_EQ(RoleOf(self_accessible.get()), ROLE_SYSTEM_LINK);
}

TEST_F(AccessibleControlTest, ForwardsWhatIsNotSetToTheStandardObject) {
  ScopedComPtr<IAccessible> standard = FromWindow(control_);
  ASSERT_TRUE(standard);
  AccessibleControl accessible(control_);
  IAccessible* own = &accessible;
  // Nothing set: every answer is the standard object's.
  EXPECT_EQ(AskText(own, &IAccessible::get_accName, CHILDID_SELF),
            AskText(standard.get(), &IAccessible::get_accName, CHILDID_SELF));
  EXPECT_EQ(RoleOf(own), RoleOf(standard.get()));
  EXPECT_NE(RoleOf(own), -1);

  accessible.SetAccessibleInfo(ROLE_SYSTEM_PUSHBUTTON, L"Close", L"");
  // Set for the control itself only: other children and other questions
  // still go to the standard object.
  EXPECT_EQ(AskText(own, &IAccessible::get_accName, 1),
            AskText(standard.get(), &IAccessible::get_accName, 1));
  EXPECT_EQ(AskText(own, &IAccessible::get_accDescription, CHILDID_SELF),
            AskText(standard.get(), &IAccessible::get_accDescription, CHILDID_SELF));
  EXPECT_EQ(AskText(own, &IAccessible::get_accValue, CHILDID_SELF),
            AskText(standard.get(), &IAccessible::get_accValue, CHILDID_SELF));
  LONG own_box[4] = {};
  LONG standard_box[4] = {};
  EXPECT_EQ(own->accLocation(&own_box[0], &own_box[1], &own_box[2], &own_box[3],
                             Child(CHILDID_SELF)),
            standard->accLocation(&standard_box[0], &standard_box[1], &standard_box[2],
                                  &standard_box[3], Child(CHILDID_SELF)));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(own_box[i], standard_box[i]);
  VARIANT own_state;
  VARIANT standard_state;
  ::VariantInit(&own_state);
  ::VariantInit(&standard_state);
  EXPECT_EQ(own->get_accState(Child(CHILDID_SELF), &own_state),
            standard->get_accState(Child(CHILDID_SELF), &standard_state));
  EXPECT_EQ(own_state.vt, standard_state.vt);
  EXPECT_EQ(own_state.lVal, standard_state.lVal);
  // Interfaces of its own are the object itself; others are the standard
  // object's.
  ScopedComPtr<IUnknown> unknown;
  ASSERT_EQ(own->QueryInterface(__uuidof(IUnknown), unknown.receive_void()), S_OK);
  EXPECT_EQ(unknown.get(), static_cast<IUnknown*>(own));
  ScopedComPtr<IEnumVARIANT> own_enum;
  ScopedComPtr<IEnumVARIANT> standard_enum;
  EXPECT_EQ(own->QueryInterface(__uuidof(IEnumVARIANT), own_enum.receive_void()),
            standard->QueryInterface(__uuidof(IEnumVARIANT), standard_enum.receive_void()));
}

TEST_F(AccessibleControlTest, WithoutStandardObject) {
  const HWND gone = CreateChild(parent_.get(), L"Static", L"", 0, RECT{0, 0, 10, 10});
  ::DestroyWindow(gone);
  AccessibleControl accessible(gone);
  IAccessible* object = &accessible;
  // Nothing to forward to.
  EXPECT_EQ(AskText(object, &IAccessible::get_accName, CHILDID_SELF).result, E_NOTIMPL);
  VARIANT state;
  ::VariantInit(&state);
  EXPECT_EQ(object->get_accState(Child(CHILDID_SELF), &state), E_NOTIMPL);
  ScopedComPtr<IDispatch> parent;
  EXPECT_EQ(object->get_accParent(parent.receive()), E_NOTIMPL);
  UINT count = 0;
  EXPECT_EQ(object->GetTypeInfoCount(&count), E_NOTIMPL);
  EXPECT_EQ(object->accDoDefaultAction(Child(CHILDID_SELF)), E_NOTIMPL);
  void* other = &count;
  EXPECT_EQ(object->QueryInterface(__uuidof(IEnumVARIANT), &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  // Counting without the standard object always answers 1.
  EXPECT_EQ(object->AddRef(), 1u);
  EXPECT_EQ(object->Release(), 1u);

  // What is set is answered all the same.
  accessible.SetAccessibleInfo(ROLE_SYSTEM_PROGRESSBAR, L"Progress", L"");
  accessible.SetAccessibleValue(7);
  EXPECT_EQ(AskText(object, &IAccessible::get_accName, CHILDID_SELF),
            (TextAnswer{S_OK, L"Progress"}));
  EXPECT_EQ(AskText(object, &IAccessible::get_accValue, CHILDID_SELF),
            (TextAnswer{S_OK, L"7%"}));
  EXPECT_EQ(AskText(object, &IAccessible::get_accName, 2).result, E_NOTIMPL);
  EXPECT_EQ(RoleOf(object), ROLE_SYSTEM_PROGRESSBAR);
  EXPECT_EQ(RoleOf(object, 1), -1);
  void* self = nullptr;
  EXPECT_EQ(object->QueryInterface(__uuidof(IAccessible), &self), S_OK);
  EXPECT_EQ(self, static_cast<void*>(object));
}

TEST_F(AccessibleControlTest, NullOutputPointers) {
  AccessibleControl accessible(control_);
  accessible.SetAccessibleInfo(ROLE_SYSTEM_LINK, L"Name", L"Description");
  IAccessible* object = &accessible;
  EXPECT_EQ(object->get_accName(Child(CHILDID_SELF), nullptr), E_INVALIDARG);
  EXPECT_EQ(object->get_accValue(Child(CHILDID_SELF), nullptr), E_INVALIDARG);
  EXPECT_EQ(object->get_accDescription(Child(CHILDID_SELF), nullptr), E_INVALIDARG);
  EXPECT_EQ(object->get_accRole(Child(CHILDID_SELF), nullptr), E_INVALIDARG);
  EXPECT_EQ(object->get_accChild(Child(CHILDID_SELF), nullptr), E_INVALIDARG);
  EXPECT_EQ(object->get_accState(Child(CHILDID_SELF), nullptr), E_INVALIDARG);
  EXPECT_EQ(object->get_accParent(nullptr), E_INVALIDARG);
  EXPECT_EQ(object->QueryInterface(__uuidof(IAccessible), nullptr), E_INVALIDARG);
}

// Counts the WM_GETOBJECT messages that reach the window class.
int g_class_get_object_count = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_GETOBJECT) ++g_class_get_object_count;
  return ::DefWindowProcW(window, message, wparam, lparam);
}

TEST_F(AccessibleControlTest, WindowGetObjectOnlyWithNameOrRole) {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = &CountingProc;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"LiteAccessibleTestClass";
  ::RegisterClassW(&window_class);
  const HWND window = CreateChild(parent_.get(), L"LiteAccessibleTestClass", L"", 0,
                                  RECT{0, 0, 20, 20});
  ASSERT_TRUE(window);
  const LONG_PTR original = ::GetWindowLongPtrW(window, GWLP_WNDPROC);
  {
    AccessibleControl accessible(window);
    g_class_get_object_count = 0;
    // Neither name nor role: the system's own answer.
    EXPECT_FALSE(GetObjectAnswer(window));
    EXPECT_EQ(g_class_get_object_count, 1);

    accessible.SetAccessibleInfo(0, L"Named", L"");
    EXPECT_TRUE(GetObjectAnswer(window));
    accessible.SetAccessibleInfo(ROLE_SYSTEM_LINK, L"", L"");
    ScopedComPtr<IAccessible> object = FromWindow(window);
    ASSERT_TRUE(object);
    EXPECT_EQ(RoleOf(object.get()), ROLE_SYSTEM_LINK);
    EXPECT_EQ(g_class_get_object_count, 1);
    // Other objects of the window are the class's business.
    ::SendMessageW(window, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_WINDOW));
    EXPECT_EQ(g_class_get_object_count, 2);
  }
  EXPECT_EQ(::GetWindowLongPtrW(window, GWLP_WNDPROC), original);
}

struct ValueChange {
  int count = 0;
  HWND window = nullptr;
  LONG object = 0;
  LONG child = -1;
};
ValueChange g_value_change;

void CALLBACK OnValueChange(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child,
                            DWORD, DWORD) {
  if (event != EVENT_OBJECT_VALUECHANGE) return;
  ++g_value_change.count;
  g_value_change.window = window;
  g_value_change.object = object;
  g_value_change.child = child;
}

TEST_F(AccessibleControlTest, ValueChangeIsAnnounced) {
  AccessibleControl accessible(control_);
  g_value_change = ValueChange();
  const HWINEVENTHOOK hook = ::SetWinEventHook(
      EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, &OnValueChange,
      ::GetCurrentProcessId(), ::GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
  ASSERT_TRUE(hook);
  accessible.SetAccessibleValue(42);
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
  ::UnhookWinEvent(hook);
  EXPECT_EQ(g_value_change.count, 1);
  EXPECT_EQ(g_value_change.window, control_);
  EXPECT_EQ(g_value_change.object, OBJID_CLIENT);
  EXPECT_EQ(g_value_change.child, CHILDID_SELF);
  EXPECT_EQ(AskText(&accessible, &IAccessible::get_accValue, CHILDID_SELF),
            (TextAnswer{S_OK, L"42%"}));
}

}  // namespace
}  // namespace lite

namespace lite {
namespace {

TEST(AccessibleControlLifetimeTest, UnclaimedAnswerDoesNotOutliveTheControl) {
  // An answer to WM_GETOBJECT that nobody claims holds a reference to the
  // control's object. The object is wiped after it goes, so that a late
  // release of that reference crashes the test (here, when COM shuts down
  // on this thread, or at the latest when the process ends).
  alignas(AccessibleControl) static unsigned char memory[sizeof(AccessibleControl)];
  std::thread thread([] {
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    ScopedWindow window(CreatePopup(RECT{0, 0, 20, 20}));
    auto* accessible = new (memory) AccessibleControl(window.get());
    accessible->SetAccessibleInfo(ROLE_SYSTEM_LINK, L"Link", L"");
    EXPECT_NE(::SendMessageW(window.get(), WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT)),
              0);
    accessible->~AccessibleControl();
    std::memset(memory, 0, sizeof(memory));
    window.reset();
    ::CoUninitialize();
  });
  thread.join();
}

}  // namespace
}  // namespace lite
