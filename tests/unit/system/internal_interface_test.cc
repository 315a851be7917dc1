#include "system/internal_interface.h"

#include <windows.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "base/debug_log.h"
#include "base/string_conversion.h"
#include "system/association_shell.h"
#include "system/platform_queries.h"

namespace lite {
namespace {

// The identifiers the shell publishes for these interfaces, in the order
// the check must try them, with their kinds.
const IID kRegistrationIids[] = {
    {0x2a848e25, 0xd688, 0x4aa3, {0x8e, 0x55, 0x0c, 0x16, 0xcb, 0x3a, 0x2d, 0xfb}},
    {0xfc0be3a5, 0x6be4, 0x423c, {0xb2, 0x87, 0x24, 0x89, 0x34, 0xe3, 0x79, 0xc7}},
    {0x14ebcc88, 0x2831, 0x4fc8, {0xa5, 0xdf, 0x9f, 0x36, 0xa8, 0x1d, 0xb1, 0x2c}},
    {0x1c5c9d10, 0x1225, 0x4c97, {0x8c, 0x51, 0x98, 0xe1, 0xb6, 0xf0, 0xd4, 0xe0}},
    {0x229d59e2, 0xf94a, 0x402e, {0x9a, 0x9f, 0x3b, 0x84, 0xa1, 0xac, 0xed, 0x77}},
};
const int kRegistrationKinds[] = {1, 1, 0, 0, 0};
const IID kISetAppAsDefaultBrowserInternal = {
    0xb00dc47b, 0xbff4, 0x4318, {0xbe, 0x5b, 0xa5, 0x85, 0x6f, 0x91, 0x69, 0xa2}};
const IID kIAssocHandlerMakeDefault = {
    0xca635855, 0xb44e, 0x4541, {0x95, 0x91, 0x9f, 0xaa, 0x53, 0x35, 0x4a, 0x53}};
const IID kIEnumAssocHandlers = {
    0x973810ae, 0x9599, 0x4b88, {0x9e, 0x4d, 0x6e, 0xe9, 0x8c, 0x95, 0x52, 0xda}};
const IID kIAssocHandler = {
    0xf04061ac, 0x1659, 0x4a3f, {0xa9, 0x54, 0x77, 0x5a, 0xa5, 0x7f, 0xc0, 0x83}};
const IID kIUnknown = {0, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};

// E_NOINTERFACE, E_FAIL and E_OUTOFMEMORY as the records write them.
constexpr char kNoInterface[] = "-2147467262";
constexpr char kFail[] = "-2147467259";

// The fakes belong to the test and are never deleted by Release; what a
// test checks is that every reference handed out was given back.
template <typename Interface>
class Counted : public Interface {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++outstanding_ + 1); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--outstanding_ + 1); }
  int outstanding() const { return outstanding_; }

 protected:
  static HRESULT Give(IUnknown* object, void** out) {
    object->AddRef();
    *out = object;
    return S_OK;
  }
  static HRESULT Refuse(void** out) {
    *out = nullptr;
    return E_NOINTERFACE;
  }

 private:
  int outstanding_ = 0;
};

// Stands for the undocumented interfaces, known only by identifier.
class FakeUnknown : public Counted<IUnknown> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    queried.push_back(iid);
    if (IsEqualIID(iid, kIUnknown)) return Give(this, out);
    for (const auto& offer : offers) {
      if (IsEqualIID(iid, offer.first)) return Give(offer.second, out);
    }
    return Refuse(out);
  }
  bool WasAskedFor(const IID& iid) const {
    for (const IID& asked : queried) {
      if (IsEqualIID(asked, iid)) return true;
    }
    return false;
  }

  std::vector<std::pair<IID, IUnknown*>> offers;
  std::vector<IID> queried;
};

class FakeAssocHandler : public Counted<IAssocHandler> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, kIUnknown) || IsEqualIID(iid, kIAssocHandler)) return Give(this, out);
    if (IsEqualIID(iid, kIAssocHandlerMakeDefault)) {
      ++make_default_queries;
      if (make_default) return Give(make_default, out);
    }
    return Refuse(out);
  }
  HRESULT STDMETHODCALLTYPE GetName(LPWSTR* name) override {
    *name = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetUIName(LPWSTR* name) override {
    ++ui_name_calls;
    *name = nullptr;
    if (FAILED(ui_name_result)) return ui_name_result;
    static const wchar_t kName[] = L"Some Browser";
    *name = static_cast<LPWSTR>(::CoTaskMemAlloc(sizeof(kName)));
    std::wmemcpy(*name, kName, sizeof(kName) / sizeof(wchar_t));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIconLocation(LPWSTR* path, int* index) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE IsRecommended() override { return S_OK; }
  // The check must never change an association.
  HRESULT STDMETHODCALLTYPE MakeDefault(LPCWSTR) override {
    ++make_default_calls;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(IDataObject*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateInvoker(IDataObject*, IAssocHandlerInvoker** invoker) override {
    *invoker = nullptr;
    return E_NOTIMPL;
  }

  HRESULT ui_name_result = S_OK;
  IUnknown* make_default = nullptr;
  int ui_name_calls = 0;
  int make_default_queries = 0;
  int make_default_calls = 0;
};

class FakeEnumHandlers : public Counted<IEnumAssocHandlers> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, kIUnknown) || IsEqualIID(iid, kIEnumAssocHandlers)) {
      return Give(this, out);
    }
    return Refuse(out);
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, IAssocHandler** out, ULONG* fetched) override {
    if (count > largest_request) largest_request = count;
    if (fetched) *fetched = 0;
    out[0] = nullptr;
    if (next_index == fail_at) return failure;
    if (next_index >= handlers.size()) return S_FALSE;
    Give(handlers[next_index++], reinterpret_cast<void**>(out));
    if (fetched) *fetched = 1;
    return S_OK;
  }

  std::vector<IAssocHandler*> handlers;
  size_t next_index = 0;
  size_t fail_at = static_cast<size_t>(-1);
  HRESULT failure = E_FAIL;
  ULONG largest_request = 0;
};

// Everything the shell can hand out, set up so that the check passes: the
// first identifier works and each of http, https, .htm and .html has one
// handler that offers IAssocHandlerMakeDefault.
class FakeShell : public AssociationShell {
 public:
  struct Source {
    HRESULT result = S_OK;
    FakeEnumHandlers handlers;
  };

  FakeShell() {
    registration_results[0] = S_OK;
    registration.offers.push_back({kISetAppAsDefaultBrowserInternal, &set_default_browser});
    for (int i = 0; i < 4; ++i) {
      handlers[i].make_default = &make_default;
      sources[kNames[i]].handlers.handlers.push_back(&handlers[i]);
    }
  }

  HRESULT CreateAssociationRegistration(const IID& iid, IUnknown** out) override {
    asked_iids.push_back(iid);
    *out = nullptr;
    for (int row = 0; row < 5; ++row) {
      if (IsEqualIID(iid, kRegistrationIids[row]) && SUCCEEDED(registration_results[row])) {
        registration.AddRef();
        *out = &registration;
        return registration_results[row];
      }
      if (IsEqualIID(iid, kRegistrationIids[row])) return registration_results[row];
    }
    return E_NOINTERFACE;
  }
  HRESULT EnumHandlersForProtocol(const wchar_t* protocol, IEnumAssocHandlers** out) override {
    return Enumerate("protocol:", protocol, out);
  }
  HRESULT EnumHandlersForExtension(const wchar_t* extension, IEnumAssocHandlers** out) override {
    return Enumerate("extension:", extension, out);
  }

  Source& source(const wchar_t* name) { return sources[name]; }

  void ExpectEverythingReleased() {
    EXPECT_EQ(0, registration.outstanding());
    EXPECT_EQ(0, set_default_browser.outstanding());
    EXPECT_EQ(0, make_default.outstanding());
    for (FakeAssocHandler& handler : handlers) {
      EXPECT_EQ(0, handler.outstanding());
      EXPECT_EQ(0, handler.make_default_calls);
    }
    for (auto& entry : sources) {
      EXPECT_EQ(0, entry.second.handlers.outstanding()) << WideToUTF8(entry.first);
      EXPECT_LE(entry.second.handlers.largest_request, 1u);
    }
  }

  static constexpr const wchar_t* kNames[4] = {L"http", L"https", L".htm", L".html"};

  HRESULT registration_results[5] = {E_NOINTERFACE, E_NOINTERFACE, E_NOINTERFACE, E_NOINTERFACE,
                                     E_NOINTERFACE};
  FakeUnknown registration;
  FakeUnknown set_default_browser;
  FakeUnknown make_default;
  FakeAssocHandler handlers[8];
  std::vector<IID> asked_iids;
  std::vector<std::string> enumerations;

 private:
  HRESULT Enumerate(const char* kind, const wchar_t* name, IEnumAssocHandlers** out) {
    enumerations.push_back(kind + WideToUTF8(name));
    *out = nullptr;
    auto found = sources.find(name);
    if (found == sources.end()) return E_FAIL;
    if (FAILED(found->second.result)) return found->second.result;
    found->second.handlers.AddRef();
    *out = &found->second.handlers;
    return S_OK;
  }

  std::map<std::wstring, Source> sources;
};

const std::vector<std::string> kAllFourChecked = {"protocol:http", "protocol:https",
                                                  "extension:.htm", "extension:.html"};

class WindowsVersionFake : public PlatformQueries {
 public:
  WindowsVersion GetWindowsVersion() override { return {10, 0, 16299, 1029}; }
};

class InternalInterfaceTest : public testing::Test {
 protected:
  void SetUp() override { SetDebugLogSinkForTesting(&debug_log_); }
  void TearDown() override {
    SetDebugLogSinkForTesting(nullptr);
    shell_.ExpectEverythingReleased();
  }

  FakeShell shell_;
  std::string debug_log_;
  WindowsVersionFake version_;
  ScopedPlatformQueriesOverride platform_{&version_};
};

TEST_F(InternalInterfaceTest, NoIdentifierWorks) {
  shell_.registration_results[0] = E_NOINTERFACE;
  EXPECT_FALSE(IsInternalInterfaceAvailable(shell_));
  ASSERT_EQ(5u, shell_.asked_iids.size());
  for (int row = 0; row < 5; ++row) {
    EXPECT_TRUE(IsEqualIID(kRegistrationIids[row], shell_.asked_iids[row])) << row;
  }
  EXPECT_TRUE(shell_.enumerations.empty());
  EXPECT_EQ("Unsupported Win10 version=10.0.16299.1029\n", debug_log_);
}

TEST_F(InternalInterfaceTest, FirstWorkingIdentifierDecidesTheKind) {
  for (int row = 0; row < 5; ++row) {
    SCOPED_TRACE(row);
    FakeShell shell;
    for (int i = 0; i < 5; ++i) shell.registration_results[i] = i < row ? E_NOINTERFACE : S_OK;
    debug_log_.clear();

    EXPECT_TRUE(IsInternalInterfaceAvailable(shell));
    EXPECT_EQ(static_cast<size_t>(row + 1), shell.asked_iids.size());
    const bool kind_one = kRegistrationKinds[row] == 1;
    EXPECT_EQ(kind_one, shell.registration.WasAskedFor(kISetAppAsDefaultBrowserInternal));
    EXPECT_EQ(kind_one ? kAllFourChecked : std::vector<std::string>(), shell.enumerations);
    EXPECT_EQ("", debug_log_);
    shell.ExpectEverythingReleased();
  }
}

TEST_F(InternalInterfaceTest, KindOneNeedsSetAppAsDefaultBrowserInternal) {
  for (int row = 0; row < 2; ++row) {
    SCOPED_TRACE(row);
    FakeShell shell;
    shell.registration_results[0] = row == 0 ? S_OK : E_NOINTERFACE;
    shell.registration_results[1] = S_OK;
    shell.registration.offers.clear();
    debug_log_.clear();

    EXPECT_FALSE(IsInternalInterfaceAvailable(shell));
    EXPECT_TRUE(shell.enumerations.empty());
    EXPECT_EQ(std::string("QueryInterface(ISetAppAsDefaultBrowserInternal) error, hr=") +
                  kNoInterface + "\n",
              debug_log_);
    shell.ExpectEverythingReleased();
  }
}

TEST_F(InternalInterfaceTest, FirstFailingCheckEndsTheTest) {
  struct Case {
    const char* name;
    void (*arrange)(FakeShell&);
    size_t checks_made;
    std::string log;
  } cases[] = {
      {"http has no handler",
       [](FakeShell& shell) { shell.source(L"http").handlers.handlers.clear(); }, 1,
       "IEnumAssocHandlers::Next error, hr=1, failed to find \n"},
      {"http enumeration fails",
       [](FakeShell& shell) { shell.source(L"http").result = E_FAIL; }, 1,
       std::string("SHAssocEnumHandlersForProtocolByApplication error, hr=") + kFail +
           " protocol=http\n"},
      {"https Next fails",
       [](FakeShell& shell) {
         shell.source(L"https").handlers.fail_at = 0;
         shell.source(L"https").handlers.failure = E_OUTOFMEMORY;
       },
       2, "IEnumAssocHandlers::Next error, hr=-2147024882, failed to find \n"},
      {".htm enumeration fails",
       [](FakeShell& shell) { shell.source(L".htm").result = E_FAIL; }, 3,
       std::string("SHAssocEnumHandlers error, hr=") + kFail + " extension=.htm\n"},
      {".html handler cannot be made default",
       [](FakeShell& shell) { shell.handlers[3].make_default = nullptr; }, 4,
       std::string("QueryInterface(IAssocHandlerMakeDefault) error, hr=") + kNoInterface + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeShell shell;
    c.arrange(shell);
    debug_log_.clear();

    EXPECT_FALSE(IsInternalInterfaceAvailable(shell));
    EXPECT_EQ(std::vector<std::string>(kAllFourChecked.begin(),
                                       kAllFourChecked.begin() + c.checks_made),
              shell.enumerations);
    EXPECT_EQ(c.log, debug_log_);
    shell.ExpectEverythingReleased();
  }
}

TEST_F(InternalInterfaceTest, HandlerWithoutDisplayNameIsSkipped) {
  FakeEnumHandlers& http = shell_.source(L"http").handlers;
  shell_.handlers[4].ui_name_result = E_FAIL;
  shell_.handlers[4].make_default = &shell_.make_default;
  http.handlers = {&shell_.handlers[4], &shell_.handlers[0]};

  EXPECT_TRUE(IsInternalInterfaceAvailable(shell_));
  EXPECT_EQ(0, shell_.handlers[4].make_default_queries);
  EXPECT_EQ(1, shell_.handlers[0].make_default_queries);
  EXPECT_EQ(std::string("IAssocHandler::GetUIName error, hr=") + kFail + ", failed to find \n",
            debug_log_);
}

TEST_F(InternalInterfaceTest, NoHandlerWithDisplayNameFails) {
  shell_.handlers[4].ui_name_result = E_FAIL;
  shell_.handlers[5].ui_name_result = E_ACCESSDENIED;
  shell_.source(L"http").handlers.handlers = {&shell_.handlers[4], &shell_.handlers[5]};

  EXPECT_FALSE(IsInternalInterfaceAvailable(shell_));
  EXPECT_EQ(std::vector<std::string>{"protocol:http"}, shell_.enumerations);
  EXPECT_EQ(std::string("IAssocHandler::GetUIName error, hr=") + kFail +
                ", failed to find \n"
                "IAssocHandler::GetUIName error, hr=-2147024891, failed to find \n"
                "IEnumAssocHandlers::Next error, hr=1, failed to find \n",
            debug_log_);
}

bool RunningUnderWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Wine offers none of the internal identifiers.
TEST_F(InternalInterfaceTest, RealShellUnderWineHasNoInternalInterface) {
  if (!RunningUnderWine()) GTEST_SKIP() << "the answer depends on the Windows build";
  EXPECT_FALSE(IsInternalInterfaceAvailable());
  EXPECT_EQ("Unsupported Win10 version=10.0.16299.1029\n", debug_log_);
}

TEST(AssociationShellTest, MissingShellFunctionIsAnErrorNotACrash) {
  HMODULE shell32 = ::LoadLibraryW(L"shell32.dll");
  ASSERT_NE(nullptr, shell32);
  const bool present =
      ::GetProcAddress(shell32, "SHAssocEnumHandlersForProtocolByApplication") != nullptr;
  ::FreeLibrary(shell32);
  if (present) GTEST_SKIP() << "this shell32 has the function";

  AssociationShell shell;
  IEnumAssocHandlers* handlers = reinterpret_cast<IEnumAssocHandlers*>(1);
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND),
            shell.EnumHandlersForProtocol(L"http", &handlers));
  EXPECT_EQ(nullptr, handlers);
}

}  // namespace
}  // namespace lite
