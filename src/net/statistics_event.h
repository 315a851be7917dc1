#ifndef LITE_NET_STATISTICS_EVENT_H_
#define LITE_NET_STATISTICS_EVENT_H_

#include <map>
#include <string>

namespace lite {

// One statistics report, and the standing parameters sent with every
// report: narrow keys in ascending byte order, wide values.
using StatisticsEvent = std::map<std::string, std::wstring>;
using StatisticsParameters = std::map<std::string, std::wstring>;

}  // namespace lite

#endif  // LITE_NET_STATISTICS_EVENT_H_
