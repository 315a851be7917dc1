#ifndef LITE_TESTS_COMMON_MAP_DISTRIB_PARAMS_H_
#define LITE_TESTS_COMMON_MAP_DISTRIB_PARAMS_H_

#include <string>
#include <utility>

#include "config/distrib_params.h"
#include "config/distrib_params_text.h"

namespace lite {

// Distribution parameters given directly instead of read from a tag.
class MapDistribParams : public DistribParams {
 public:
  MapDistribParams() = default;
  explicit MapDistribParams(DistribParamsMap initial) : values(std::move(initial)) {}

  bool GetParam(const std::string& key, std::string* value) const override {
    const auto found = values.find(key);
    if (found == values.end()) return false;
    *value = found->second;
    return true;
  }

  DistribParamsMap values;
};

}  // namespace lite

#endif  // LITE_TESTS_COMMON_MAP_DISTRIB_PARAMS_H_
