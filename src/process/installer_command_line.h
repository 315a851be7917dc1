#ifndef LITE_PROCESS_INSTALLER_COMMAND_LINE_H_
#define LITE_PROCESS_INSTALLER_COMMAND_LINE_H_

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace lite {

// A program path and its switches. Switches may be written with "--", "-"
// or "/"; names are kept lower-case without the prefix, in byte order,
// which is also the order in which they are written back (always as "--").
// Arguments that are not switches are dropped, and so are switches whose
// names are not safe to write back (see switch_name.h).
class InstallerCommandLine {
 public:
  using SwitchMap = std::map<std::string, std::wstring>;

  InstallerCommandLine() = default;
  // Parses a whole command line the way Windows splits it.
  static InstallerCommandLine FromString(const std::wstring& command_line);
  // The current process's command line, parsed once on first use.
  static const InstallerCommandLine& ForCurrentProcess();

  bool HasSwitch(std::string_view name) const;
  std::wstring GetSwitchValue(std::string_view name) const;
  // Each character's low byte.
  std::string GetSwitchValueASCII(std::string_view name) const;

  void AppendSwitch(std::string_view name);
  void AppendSwitch(std::string_view name, const std::wstring& value);
  void AppendSwitchASCII(std::string_view name, std::string_view value);
  void SetOrRemoveSwitch(bool flag, std::string_view name);
  void RemoveSwitch(std::string_view name);

  void SetProgram(const std::wstring& program);
  const std::wstring& GetProgram() const { return program_; }
  const SwitchMap& switches() const { return switches_; }
  // Names of the switches the parse dropped, as given, for the log: the
  // current process's command line is parsed before the log exists.
  const std::vector<std::wstring>& dropped_switches() const { return dropped_switches_; }

  // The program quoted, then " --name" or " --name=value" for each switch.
  std::wstring ToString() const;

  // Quotes |text| so that CommandLineToArgvW gives it back unchanged.
  static std::wstring QuoteArgument(const std::wstring& text);
  static std::wstring TrimWhitespace(const std::wstring& text);

 private:
  void ParseArgument(const std::wstring& argument);
  void ApplyImpliedSwitches();
  static std::string NormalizeName(std::string_view name);

  std::wstring program_;
  SwitchMap switches_;
  std::vector<std::wstring> dropped_switches_;
};

}  // namespace lite

#endif  // LITE_PROCESS_INSTALLER_COMMAND_LINE_H_
