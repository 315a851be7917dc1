#ifndef LITE_PROCESS_SWITCH_NAME_H_
#define LITE_PROCESS_SWITCH_NAME_H_

#include <string>
#include <string_view>

namespace lite {

// Switch names are written back onto command lines without quotes, so a
// name is kept only when every character is printable ASCII other than a
// space, a double quote or "=": anything else could end the argument
// early, reshape the command line or narrow to a NUL.
bool IsSafeSwitchName(std::string_view name);

// The lower-cased narrow form of |text| (a switch without its prefix and
// value), or false when it does not narrow losslessly to a safe name.
bool NarrowSwitchName(std::wstring_view text, std::string* name);

// |text| for a log line: printable ASCII as it is, any other character as
// "\u" and its hexadecimal code, so that no name can break the line.
std::string EscapeSwitchNameForLog(std::wstring_view text);

}  // namespace lite

#endif  // LITE_PROCESS_SWITCH_NAME_H_
