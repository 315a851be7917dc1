#ifndef LITE_CONFIG_DISTRIB_PARAMS_TEXT_H_
#define LITE_CONFIG_DISTRIB_PARAMS_TEXT_H_

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace lite {

using DistribParamsMap = std::map<std::string, std::string>;

// "k1=v1&k2&=v3": pairs split at "&", keys at the first "=". Raw bytes:
// nothing is decoded or trimmed; a later key replaces an earlier one.
DistribParamsMap ParseDistribParamsText(std::string_view text);

// The JSON dump for the setup program: one string member per parameter in
// key order, indented by two, UTF-8 unescaped. Entries whose key or value
// is not valid UTF-8 are left out. Nothing when serialisation fails.
std::optional<std::string> DistribParamsToJson(const DistribParamsMap& params);

}  // namespace lite

#endif  // LITE_CONFIG_DISTRIB_PARAMS_TEXT_H_
