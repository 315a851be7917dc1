#ifndef LITE_TRUST_TRUST_JSON_FROM_MODULE_H_
#define LITE_TRUST_TRUST_JSON_FROM_MODULE_H_

#include <string>

namespace lite {

// The trusted-certificate document a module carries as TRUSTED_JSON,
// returned only when its SIGNATURE_DAT checks out against the built-in key
// it names. The module's code never runs. Empty on any failure.
std::string GetTrustJsonFromModule(const std::wstring& path);

}  // namespace lite

#endif  // LITE_TRUST_TRUST_JSON_FROM_MODULE_H_
