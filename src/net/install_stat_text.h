#ifndef LITE_NET_INSTALL_STAT_TEXT_H_
#define LITE_NET_INSTALL_STAT_TEXT_H_

#include <string>
#include <string_view>

#include "net/statistics_event.h"

// Text forms of the statistics parameters. No Windows headers: the
// registry text is read back from whatever an earlier run or another
// program left, and this code also builds natively for fuzzing.
namespace lite {

// The registry value "install_stat": each parameter in key order as key,
// line feed, value, line feed. The browser's setup reads it too. A line
// feed inside a key or value would shift every later pair, so it is
// written as a space, and a pair with an empty key is left out.
std::wstring FormatInstallStatText(const StatisticsParameters& parameters);

// Lines taken alternately as key and value; an empty line in key position
// starts no pair and a last key without its value line is dropped. Later
// pairs replace earlier ones of the same key.
StatisticsParameters ParseInstallStatText(std::wstring_view text);

// A key or value of the request's vars text with its separators ",", "-"
// and "=" turned into "_".
std::wstring ReplaceVarsSeparators(std::wstring_view text);

// Percent-escapes every byte but A-Z a-z 0-9 and ! ' ( ) . _ ~, with
// upper-case hexadecimal digits.
std::string PercentEscapeUnreserved(std::string_view bytes);

}  // namespace lite

#endif  // LITE_NET_INSTALL_STAT_TEXT_H_
