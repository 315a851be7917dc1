#include "process/installer_command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <utility>

#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "process/switch_name.h"
#include "process/switches.h"

namespace lite {
namespace {

bool IsWhitespace(wchar_t c) {
  const unsigned code = static_cast<unsigned>(c);
  return (code >= 9 && code <= 13) || code == 32 || code == 133 || code == 160 ||
         code == 5760 || code == 6158 || (code >= 0x2000 && code <= 0x200A) ||
         code == 0x2028 || code == 0x2029 || code == 0x202F || code == 0x205F ||
         code == 0x3000;
}

// The prefix length of a switch argument, 0 if it is not one. "--" is
// tested before "-" so that it wins.
size_t SwitchPrefixLength(std::wstring_view argument) {
  if (argument.substr(0, 2) == L"--") return 2;
  if (!argument.empty() && (argument[0] == L'-' || argument[0] == L'/')) return 1;
  return 0;
}

}  // namespace

std::wstring InstallerCommandLine::TrimWhitespace(const std::wstring& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsWhitespace(text[begin])) ++begin;
  while (end > begin && IsWhitespace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string InstallerCommandLine::NormalizeName(std::string_view name) {
  std::string lower = ToLowerASCII(name);
  const size_t prefix = SwitchPrefixLength(WidenBytes(lower));
  return lower.substr(prefix);
}

InstallerCommandLine InstallerCommandLine::FromString(const std::wstring& command_line) {
  InstallerCommandLine result;
  int count = 0;
  wchar_t** argv = ::CommandLineToArgvW(command_line.c_str(), &count);
  if (!argv) return result;
  ScopedLocalAlloc argv_owner(reinterpret_cast<HLOCAL>(argv));
  if (count > 0) result.program_ = TrimWhitespace(argv[0]);
  for (int i = 1; i < count; ++i) result.ParseArgument(argv[i]);
  result.ApplyImpliedSwitches();
  return result;
}

const InstallerCommandLine& InstallerCommandLine::ForCurrentProcess() {
  // Function-local statics are initialised once even when several threads
  // ask at the same time.
  static const InstallerCommandLine current = FromString(::GetCommandLineW());
  return current;
}

void InstallerCommandLine::ParseArgument(const std::wstring& raw) {
  const std::wstring argument = TrimWhitespace(raw);
  const size_t prefix = SwitchPrefixLength(argument);
  if (prefix == 0) return;
  const std::wstring body = argument.substr(prefix);
  const size_t equals = body.find(L'=');
  const std::wstring name = body.substr(0, equals);
  const std::wstring value = equals == std::wstring::npos ? std::wstring() : body.substr(equals + 1);
  std::string narrow;
  if (!NarrowSwitchName(name, &narrow)) {
    dropped_switches_.push_back(name);
    return;
  }
  switches_[narrow] = value;
}

void InstallerCommandLine::ApplyImpliedSwitches() {
  if (HasSwitch(switches::kSemiSilent)) {
    AppendSwitch(switches::kSilent);
    AppendSwitch(switches::kUacEnabled);
  }
}

bool InstallerCommandLine::HasSwitch(std::string_view name) const {
  return switches_.count(ToLowerASCII(name)) != 0;
}

std::wstring InstallerCommandLine::GetSwitchValue(std::string_view name) const {
  const auto it = switches_.find(ToLowerASCII(name));
  return it == switches_.end() ? std::wstring() : it->second;
}

std::string InstallerCommandLine::GetSwitchValueASCII(std::string_view name) const {
  return NarrowLowByte(GetSwitchValue(name));
}

void InstallerCommandLine::AppendSwitch(std::string_view name) {
  AppendSwitch(name, std::wstring());
}

void InstallerCommandLine::AppendSwitch(std::string_view name, const std::wstring& value) {
  std::string normalized = NormalizeName(name);
  // Names come from the program itself; an unsafe one is a slip that must
  // still never reach a command line.
  if (!IsSafeSwitchName(normalized)) return;
  switches_[std::move(normalized)] = value;
}

void InstallerCommandLine::AppendSwitchASCII(std::string_view name, std::string_view value) {
  AppendSwitch(name, WidenBytes(value));
}

void InstallerCommandLine::SetOrRemoveSwitch(bool flag, std::string_view name) {
  if (flag) {
    AppendSwitch(name);
  } else {
    RemoveSwitch(name);
  }
}

void InstallerCommandLine::RemoveSwitch(std::string_view name) {
  switches_.erase(NormalizeName(name));
}

void InstallerCommandLine::SetProgram(const std::wstring& program) {
  program_ = TrimWhitespace(program);
}

std::wstring InstallerCommandLine::QuoteArgument(const std::wstring& text) {
  // A tab splits arguments just like a space, so it needs quotes too.
  if (text.find_first_of(L" \t\"\\") == std::wstring::npos) return text;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : text) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled; the quote itself escaped.
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  // Backslashes before the closing quote are doubled as well.
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}

std::wstring InstallerCommandLine::ToString() const {
  std::wstring result = QuoteArgument(program_);
  for (const auto& [name, value] : switches_) {
    result += L" --";
    result += WidenBytes(name);
    if (!value.empty()) {
      result += L'=';
      result += QuoteArgument(value);
    }
  }
  return result;
}

}  // namespace lite
