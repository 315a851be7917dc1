#ifndef LITE_CRASH_REPORT_URL_H_
#define LITE_CRASH_REPORT_URL_H_

#include <string>

#include "crash/annotation_stream.h"

namespace lite {

// The upload address: the service's base + "/submit", with the product,
// version and guid annotations as query parameters where they exist.
std::string BuildReportUrl(const std::string& base, const CrashAnnotations& annotations);
// Letters, digits and "-_.~" as they are; every other byte as "%XX".
std::string PercentEncodeQueryValue(const std::string& value);

}  // namespace lite

#endif  // LITE_CRASH_REPORT_URL_H_
