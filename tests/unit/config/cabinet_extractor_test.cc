#include "config/cabinet_extractor.h"

#include <gtest/gtest.h>

#include "base/file_util.h"
#include "base/resource_util.h"
#include "config/cabinet_reader.h"
#include "test_util.h"

namespace lite {
namespace {

std::string FixtureCabinet() {
  return ReadWholeFile(ExecutableFolder() + L"\\config_data\\two_files.cab");
}

bool Extract(const std::string& cabinet, CabinetFiles* files, const std::string& wanted) {
  return ExtractFilesFromCabinet(reinterpret_cast<const uint8_t*>(cabinet.data()),
                                 static_cast<uint32_t>(cabinet.size()), files, wanted);
}

TEST(CabinetExtractorTest, ExtractsTheEmbeddedDefaultPackage) {
  const std::string package = LoadBinResource(319);
  ASSERT_FALSE(package.empty());
  CabinetFiles files;
  EXPECT_TRUE(Extract(package, &files, "brand_config"));
  ASSERT_EQ(files.size(), 1u);
  const std::string& text = files.at("brand_config");
  ASSERT_GT(text.size(), 176u);
  EXPECT_EQ(text.substr(0, 2), "//");
  EXPECT_EQ(text.substr(174, 2), "\r\n");
  EXPECT_NE(text.find("\"brand_id\": \"zelmar\""), std::string::npos);
}

TEST(CabinetExtractorTest, TakesOnlyTheWantedFile) {
  const std::string cabinet = FixtureCabinet();
  ASSERT_FALSE(cabinet.empty());
  CabinetFiles files = {{"stale", "entry"}};
  EXPECT_TRUE(Extract(cabinet, &files, "brand_config"));
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files.begin()->first, "brand_config");

  EXPECT_TRUE(Extract(cabinet, &files, ""));  // every file
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files.at("other.txt"), "other file\n");

  EXPECT_TRUE(Extract(cabinet, &files, "BRAND_CONFIG"));  // names are exact
  EXPECT_TRUE(files.empty());
}

TEST(CabinetExtractorTest, DamagedCabinetsFailWithoutHarm) {
  const std::string cabinet = FixtureCabinet();
  ASSERT_GT(cabinet.size(), 100u);
  std::string flipped = cabinet;
  flipped[flipped.size() - 20] ^= 0x5A;  // inside the compressed data
  const std::string inputs[] = {
      "",
      "MSCF",
      cabinet.substr(0, 40),
      cabinet.substr(0, cabinet.size() - 10),
      std::string(cabinet.size(), '\0'),
      flipped,
  };
  for (const std::string& input : inputs) {
    CabinetFiles files;
    EXPECT_FALSE(Extract(input, &files, "other.txt")) << input.size();
    EXPECT_TRUE(files.empty());
  }
}

TEST(CabinetReaderTest, ReadsAndSeeksWithinBounds) {
  const uint8_t data[] = {1, 2, 3, 4, 5};
  CabinetSource source(data, sizeof(data));
  CabinetReader reader(&source);
  uint8_t buffer[8] = {};
  EXPECT_EQ(reader.Read(buffer, 2), 2u);
  EXPECT_EQ(buffer[1], 2);
  struct Case {
    long offset;
    int origin;
    long result;  // -1: refused
    uint32_t position;
  };
  const Case cases[] = {
      {1, 1, 3, 3},  {-1, 2, 4, 4}, {0, 2, 5, 5},  {1, 2, -1, 5}, {-6, 1, -1, 5},
      {2, 0, 2, 2},  {-1, 0, -1, 2}, {4, 7, 0, 0}, {6, 0, -1, 0},  {5, 0, 5, 5},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(reader.Seek(c.offset, c.origin), c.result) << c.offset << "," << c.origin;
    EXPECT_EQ(reader.position(), c.position);
  }
  EXPECT_EQ(reader.Read(buffer, 8), 0u);  // at the end
  reader.Seek(3, 0);
  EXPECT_EQ(reader.Read(buffer, 8), 2u);
  EXPECT_EQ(buffer[0], 4);
}

}  // namespace
}  // namespace lite
