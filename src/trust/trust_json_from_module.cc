#include "trust/trust_json_from_module.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "base/resource_util.h"
#include "base/scoped_handle.h"
#include "logging/log_record.h"
#include "trust/built_in_key_table.h"
#include "trust/signature_verifier.h"

namespace lite {
namespace {

constexpr char kFunction[] = "GetTrustJsonFromModule";

bool IsAbsolutePath(const std::wstring& path) {
  const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  if (path.size() >= 3 && path[1] == L':' && separator(path[2])) return true;
  return path.size() >= 2 && separator(path[0]) && separator(path[1]);
}

}  // namespace

std::string GetTrustJsonFromModule(const std::wstring& path) {
  if (!IsAbsolutePath(path)) {
    PLOG(ERROR, kFunction) << "Attempting to GetTrustJsonFromModule at an invalid path: " << path;
    return std::string();
  }
  // Resources only: nothing of the (not yet trusted) module is executed.
  ScopedModule module(::LoadLibraryExW(
      path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE));
  if (!module) {
    PLOG(ERROR, kFunction) << "Failed to load module for GetTrustJsonFromModule: " << path;
    return std::string();
  }
  const std::string signature_data =
      LoadResourceBytes(module.get(), L"SIGNATURE.DAT", L"SIGNATURE_DAT");
  if (signature_data.size() <= 2) {
    PLOG(ERROR, kFunction) << "Cannot find resource " << "SIGNATURE_DAT";
    return std::string();
  }
  const std::string json = LoadResourceBytes(module.get(), L"TRUSTED.JSON", L"TRUSTED_JSON");
  if (json.empty()) {
    PLOG(ERROR, kFunction) << "Cannot find resource " << "TRUSTED_JSON";
    return std::string();
  }
  const int key_index = static_cast<uint8_t>(signature_data[0]) |
                        (static_cast<uint8_t>(signature_data[1]) << 8);
  const std::vector<uint8_t> key = BuiltInKeyTable::GetKey(key_index);
  if (key.empty()) {
    PLOG(ERROR, kFunction) << "Cannot find key";
    return std::string();
  }
  const std::vector<uint8_t> signature(signature_data.begin() + 2, signature_data.end());
  SignatureVerifier verifier;
  const bool verified =
      verifier.Verify(signature, key, std::vector<uint8_t>(json.begin(), json.end()));
  verifier.Cleanup();
  if (!verified) {
    PLOG(ERROR, kFunction) << "Verify error";
    return std::string();
  }
  return json;
}

}  // namespace lite
