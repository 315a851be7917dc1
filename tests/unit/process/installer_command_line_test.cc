#include "process/installer_command_line.h"
#include "process/switch_name.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <vector>

namespace lite {
namespace {

std::vector<std::wstring> SplitLikeWindows(const std::wstring& command_line) {
  int count = 0;
  wchar_t** argv = ::CommandLineToArgvW(command_line.c_str(), &count);
  std::vector<std::wstring> args(argv, argv + count);
  ::LocalFree(argv);
  return args;
}

TEST(InstallerCommandLineTest, ReadsSwitchesWithAnyPrefixAndCase) {
  struct Case {
    const wchar_t* command_line;
    const char* name;
    const wchar_t* value;
  };
  const Case cases[] = {
      {L"a.exe /SILENT", "silent", L""},
      {L"a.exe -silent", "silent", L""},
      {L"a.exe --Silent", "silent", L""},
      {L"a.exe ---x", "-x", L""},  // "--" wins, the third dash stays
      {L"a.exe --brand-name=auto=x", "brand-name", L"auto=x"},
      {L"a.exe /Brand-Name=Mixed", "brand-name", L"Mixed"},
      {L"a.exe \"--ins-url=http://h/p q\"", "ins-url", L"http://h/p q"},
      {L"a.exe --x=1 --X=2", "x", L"2"},  // last one wins
      {L"a.exe \"  --padded=v \u3000\"", "padded", L"v"},
      {L"a.exe --empty=", "empty", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command_line);
    const InstallerCommandLine command_line = InstallerCommandLine::FromString(c.command_line);
    EXPECT_TRUE(command_line.HasSwitch(c.name));
    EXPECT_EQ(command_line.GetSwitchValue(c.name), c.value);
  }
}

TEST(InstallerCommandLineTest, KeepsOnlySwitchesAndTheTrimmedProgram) {
  const InstallerCommandLine command_line =
      InstallerCommandLine::FromString(L"\" C:\\dir with space\\a.exe \" foo --b bar -a=1");
  EXPECT_EQ(command_line.GetProgram(), L"C:\\dir with space\\a.exe");
  ASSERT_EQ(command_line.switches().size(), 2u);
  EXPECT_EQ(command_line.switches().begin()->first, "a");  // byte order
  EXPECT_EQ(command_line.ToString(), L"\"C:\\dir with space\\a.exe\" --a=1 --b");
}

TEST(InstallerCommandLineTest, DropsNamesThatDoNotNarrowSafely) {
  struct Case {
    const wchar_t* command_line;
    const wchar_t* dropped;
  };
  const Case cases[] = {
      {L"a.exe --\u0141b=\u0436 --keep", L"\u0141b"},  // low byte 'A' would pass for "ab"
      {L"a.exe --\u0100z --keep", L"\u0100z"},          // low byte NUL
      {L"a.exe --caf\u00e9=1 --keep", L"caf\u00e9"},
      {L"a.exe \"--a b=1\" --keep", L"a b"},
      {L"a.exe \"--source lite --x\" --keep", L"source lite --x"},
      {L"a.exe \"--a\\\"b\" --keep", L"a\"b"},
      {L"a.exe \"--t\tab\" --keep", L"t\tab"},
      {L"a.exe --bell\a --keep", L"bell\a"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command_line);
    const InstallerCommandLine command_line = InstallerCommandLine::FromString(c.command_line);
    EXPECT_EQ(command_line.switches(), (InstallerCommandLine::SwitchMap{{"keep", L""}}));
    EXPECT_EQ(command_line.dropped_switches(), std::vector<std::wstring>{c.dropped});
    EXPECT_EQ(command_line.ToString(), L"a.exe --keep");
  }
}

TEST(InstallerCommandLineTest, KeepsTheNamesThatWorkToday) {
  const InstallerCommandLine command_line = InstallerCommandLine::FromString(
      L"a.exe --Brand-Name=x ---x /a.b_c:d\\e --brand.id~1=2 --=v");
  EXPECT_TRUE(command_line.dropped_switches().empty());
  EXPECT_EQ(command_line.switches(),
            (InstallerCommandLine::SwitchMap{
                {"", L"v"}, {"-x", L""}, {"a.b_c:d\\e", L""}, {"brand-name", L"x"},
                {"brand.id~1", L"2"}}));
  EXPECT_EQ(InstallerCommandLine::FromString(command_line.ToString()).switches(),
            command_line.switches());
}

// A name that narrowed to a NUL used to cut the rebuilt setup command line
// short, losing every switch that sorts after it.
TEST(InstallerCommandLineTest, SetupCommandLineKeepsEverySwitch) {
  InstallerCommandLine setup =
      InstallerCommandLine::FromString(L"a.exe --\u0100z --brand-name=b \"--x y\"");
  setup.SetProgram(L"C:\\t\\setup.exe");
  setup.AppendSwitch("source", L"lite");
  setup.AppendSwitch("progress-window", L"123");
  const std::wstring text = setup.ToString();
  EXPECT_EQ(text.find(L'\0'), std::wstring::npos);
  const InstallerCommandLine parsed = InstallerCommandLine::FromString(text);
  EXPECT_EQ(parsed.switches(), setup.switches());
  EXPECT_EQ(parsed.GetSwitchValue("source"), L"lite");
  EXPECT_EQ(parsed.GetSwitchValue("brand-name"), L"b");
  EXPECT_TRUE(parsed.HasSwitch("progress-window"));
}

TEST(InstallerCommandLineTest, AppendSwitchRefusesUnsafeNames) {
  InstallerCommandLine command_line;
  for (const char* name : {"a b", "a\"b", "a=b", "a\tb", "caf\xc3\xa9"}) {
    command_line.AppendSwitch(name, L"v");
  }
  command_line.AppendSwitch("--Ok", L"v");
  EXPECT_EQ(command_line.switches(), (InstallerCommandLine::SwitchMap{{"ok", L"v"}}));
}

TEST(SwitchNameTest, EscapesEverythingButPrintableASCIIForTheLog) {
  EXPECT_EQ(EscapeSwitchNameForLog(L"ok-1"), "ok-1");
  EXPECT_EQ(EscapeSwitchNameForLog(L"a\nb\\\u0100\u00e9\"="), "a\\u000Ab\\u005C\\u0100\\u00E9\"=");
}

TEST(InstallerCommandLineTest, SemiSilentImpliesSilentAndUacEnabled) {
  const InstallerCommandLine semi = InstallerCommandLine::FromString(L"a.exe --semi-silent");
  const InstallerCommandLine both =
      InstallerCommandLine::FromString(L"a.exe --silent --uac-enabled --semi-silent");
  EXPECT_TRUE(semi.HasSwitch("silent"));
  EXPECT_TRUE(semi.HasSwitch("uac-enabled"));
  EXPECT_EQ(semi.switches(), both.switches());
}

TEST(InstallerCommandLineTest, QuotesSoThatWindowsSplitsBack) {
  const std::wstring values[] = {
      L"plain",
      L"with space",
      L"C:\\folder\\",            // final backslash before the closing quote
      L"C:\\a\\b.exe",
      L"say \"hi\"",
      L"back\\\"slash",           // backslash right before a quote
      L"tail\\\\",
      L"tab\there",
      L"\u00fcnicode \u043f",
  };
  for (const std::wstring& value : values) {
    SCOPED_TRACE(value);
    InstallerCommandLine command_line;
    command_line.SetProgram(L"C:\\Program Files\\x.exe");
    command_line.AppendSwitch("--Value", value);
    command_line.AppendSwitchASCII("/plain", "1");
    const std::vector<std::wstring> args = SplitLikeWindows(command_line.ToString());
    ASSERT_EQ(args.size(), 3u) << command_line.ToString();
    EXPECT_EQ(args[0], L"C:\\Program Files\\x.exe");
    EXPECT_EQ(args[1], L"--plain=1");
    EXPECT_EQ(args[2], L"--value=" + value);
    // And the parser reads the same value again.
    EXPECT_EQ(InstallerCommandLine::FromString(command_line.ToString()).GetSwitchValue("value"),
              value);
  }
}

TEST(InstallerCommandLineTest, QuotingRules) {
  struct Case {
    const wchar_t* text;
    const wchar_t* quoted;
  };
  const Case cases[] = {
      {L"abc", L"abc"},
      {L"", L""},
      {L"a b", L"\"a b\""},
      {L"C:\\dir\\", L"\"C:\\dir\\\\\""},
      {L"a\"b", L"\"a\\\"b\""},
      {L"a\\\"b", L"\"a\\\\\\\"b\""},
      {L"a\\b", L"\"a\\b\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InstallerCommandLine::QuoteArgument(c.text), c.quoted) << c.text;
  }
}

TEST(InstallerCommandLineTest, ChangesSwitches) {
  InstallerCommandLine command_line;
  command_line.AppendSwitch("--Silent");
  command_line.AppendSwitchASCII("source", "lite");
  command_line.AppendSwitch("source", L"other");  // replaces
  command_line.SetOrRemoveSwitch(true, "verbose-logging");
  command_line.SetOrRemoveSwitch(false, "silent");
  command_line.SetOrRemoveSwitch(false, "absent");
  // An empty program leaves the leading space of the first switch.
  EXPECT_EQ(command_line.ToString(), L" --source=other --verbose-logging");
}

TEST(InstallerCommandLineTest, SurvivesHostileInput) {
  // Unbalanced quotes swallow the rest into one argument, whose name then
  // holds a space: not a switch that could be written back.
  InstallerCommandLine unbalanced =
      InstallerCommandLine::FromString(L"a.exe \"--silent --brand-name=x");
  EXPECT_TRUE(unbalanced.switches().empty());
  EXPECT_EQ(unbalanced.dropped_switches(), std::vector<std::wstring>{L"silent --brand-name"});

  const std::wstring huge(30000, L'v');
  InstallerCommandLine big = InstallerCommandLine::FromString(L"a.exe --big=" + huge);
  EXPECT_EQ(big.GetSwitchValue("big"), huge);

  InstallerCommandLine odd = InstallerCommandLine::FromString(L"a.exe -- / - --=v");
  EXPECT_TRUE(odd.HasSwitch(""));
  EXPECT_EQ(odd.GetSwitchValue(""), L"v");
  EXPECT_TRUE(InstallerCommandLine::FromString(L"").switches().empty());
}

TEST(InstallerCommandLineTest, CurrentProcessInstanceIsStable) {
  const InstallerCommandLine& first = InstallerCommandLine::ForCurrentProcess();
  EXPECT_EQ(&first, &InstallerCommandLine::ForCurrentProcess());
  EXPECT_FALSE(first.GetProgram().empty());
}

}  // namespace
}  // namespace lite
