#include "crash/report_url.h"

namespace lite {

std::string PercentEncodeQueryValue(const std::string& value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : value) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= '0' && byte <= '9') || c == '-' || c == '_' || c == '.' || c == '~') {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0xf];
    }
  }
  return encoded;
}

std::string BuildReportUrl(const std::string& base, const CrashAnnotations& annotations) {
  static constexpr struct {
    const char* annotation;
    const char* query_name;
  } kParameters[] = {{"prod", "product"}, {"ver", "version"}, {"guid", "guid"}};
  std::string url = base + "/submit";
  for (const auto& parameter : kParameters) {
    const auto found = annotations.find(parameter.annotation);
    if (found == annotations.end()) continue;
    // Whole values: a piece cut at a fixed length could end inside an
    // escape and send a malformed query.
    url += url.find('?') == std::string::npos ? '?' : '&';
    url += std::string(parameter.query_name) + "=" + PercentEncodeQueryValue(found->second);
  }
  return url;
}

}  // namespace lite
