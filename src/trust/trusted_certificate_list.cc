#include "trust/trusted_certificate_list.h"

#include <jansson.h>

#include "base/base64.h"
#include "base/json_reader.h"

namespace lite {

TrustedCertificateList::TrustedCertificateList(std::string_view json) {
  ScopedJson root = ParseJsonWithComments(json);
  if (!root || !json_is_object(root.get())) return;
  json_t* info = json_object_get(root.get(), "trusted_info");
  if (!json_is_object(info)) return;
  json_t* certificates = json_object_get(info, "certificates");
  if (!json_is_array(certificates)) return;
  size_t index;
  json_t* element;
  json_array_foreach(certificates, index, element) {
    json_t* id = json_is_object(element) ? json_object_get(element, "id") : nullptr;
    if (!json_is_string(id)) continue;
    std::optional<std::string> identity =
        DecodeBase64(std::string_view(json_string_value(id), json_string_length(id)));
    // The first element with an identity wins; later duplicates add nothing.
    if (identity) identities_.insert(std::move(*identity));
  }
}

}  // namespace lite
