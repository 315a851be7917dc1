#include "trust/trusted_certificate_list.h"

#include <gtest/gtest.h>

namespace lite {
namespace {

TEST(TrustedCertificateListTest, ReadsIdentities) {
  const TrustedCertificateList list(R"(// signed list
{"trusted_info": {"certificates": [
  {"id": "AQID", "pub_key": "00"},
  {"id": "AQID"},
  {"id": "not base64!"},
  {"id": 7},
  "AQIE",
  {"no_id": "AQIF"},
  {"id": "/wAB"}
]}})");
  EXPECT_EQ(list.size(), 2u);
  EXPECT_TRUE(list.Contains("\x01\x02\x03"));
  EXPECT_TRUE(list.Contains(std::string("\xff\x00\x01", 3)));
  EXPECT_FALSE(list.Contains("\x01\x02\x04"));
  EXPECT_FALSE(list.Contains("\x01\x02"));
}

TEST(TrustedCertificateListTest, BrokenDocumentsGiveAnEmptyList) {
  for (const char* json : {
           "",
           "not json",
           "[]",
           R"({"certificates": [{"id": "AQID"}]})",
           R"({"trusted_info": []})",
           R"({"trusted_info": {"certificates": {"id": "AQID"}}})",
           R"({"trusted_info": {"certificates": [{"id": "AQID"}]}} trailing)",
       }) {
    EXPECT_TRUE(TrustedCertificateList(json).empty()) << json;
  }
}

TEST(TrustedCertificateListTest, IdentitiesCompareAsUnsignedBytes) {
  // 0x80 must sort after 0x7F, and a prefix is a different identity.
  const TrustedCertificateList list(
      R"({"trusted_info": {"certificates": [{"id": "gA=="}, {"id": "fw=="}, {"id": "gAA="}]}})");
  EXPECT_EQ(list.size(), 3u);
  for (const std::string& identity : {std::string("\x80"), std::string("\x7f"), std::string("\x80\x00", 2)}) {
    EXPECT_TRUE(list.Contains(identity));
  }
}

}  // namespace
}  // namespace lite
