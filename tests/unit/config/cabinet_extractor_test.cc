#include "config/cabinet_extractor.h"

#include <gtest/gtest.h>

#include "base/file_util.h"
#include "base/resource_util.h"
#include "checked_heap.h"
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

// The decoder faults on this package under Wine; on Windows it may just
// refuse it. Either way the extraction fails and the process goes on.
TEST(CabinetExtractorTest, PackageThatBreaksTheDecoderFails) {
  const std::string cabinet = ReadWholeFile(ExecutableFolder() + L"\\config_data\\decoder_fault.cab");
  ASSERT_EQ(cabinet.size(), 558u);
  CabinetFiles files = {{"stale", "entry"}};
  EXPECT_FALSE(Extract(cabinet, &files, ""));
  EXPECT_TRUE(files.empty());
  // The library is still usable afterwards.
  EXPECT_TRUE(Extract(FixtureCabinet(), &files, "brand_config"));
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

// The program's operator new and delete are the checked ones of
// checked_heap.cc here: a stray delete counts instead of passing unseen.
TEST(CabinetExtractorTest, DamagedCabinetsFailWithoutHarm) {
  const std::string cabinet = FixtureCabinet();
  ASSERT_GT(cabinet.size(), 100u);
  CabinetFiles originals;
  ASSERT_TRUE(Extract(cabinet, &originals, ""));
  ASSERT_EQ(originals.size(), 2u);

  // One folder at offset 36 (no reserved fields); its compression type is
  // the 16-bit field 6 bytes in, followed by the files and the data blocks.
  std::string unknown_type = cabinet;
  unknown_type[42] = 7;
  std::string flipped = cabinet;
  flipped[flipped.size() - 20] ^= 0x5A;  // inside the compressed data
  std::string flipped_early = cabinet;
  flipped_early[flipped_early.size() - 40] ^= 0x01;
  const struct {
    const char* name;
    std::string bytes;
  } inputs[] = {
      {"empty", ""},
      {"signature only", "MSCF"},
      {"header only", cabinet.substr(0, 40)},
      {"truncated data block", cabinet.substr(0, cabinet.size() - 10)},
      {"truncated early", cabinet.substr(0, cabinet.size() - 30)},
      {"zeros", std::string(cabinet.size(), '\0')},
      {"flipped data byte", flipped},
      {"flipped early data byte", flipped_early},
      {"compression type 7", unknown_type},
  };
  const size_t faults_before = CheckedHeapFaults();
  for (const auto& input : inputs) {
    for (const std::string wanted : {"brand_config", "other.txt", ""}) {
      SCOPED_TRACE(std::string(input.name) + " / " + wanted);
      CabinetFiles files;
      const bool extracted = Extract(input.bytes, &files, wanted);
      if (wanted == "other.txt") {
        EXPECT_FALSE(extracted);
      }
      // Whatever came out is a complete file, never an empty or cut one.
      for (const auto& [name, content] : files) EXPECT_EQ(content, originals.at(name)) << name;
      if (!extracted) {
        EXPECT_LT(files.size(), wanted.empty() ? 2u : 1u);
      }
      EXPECT_EQ(CheckedHeapFaults(), faults_before);
      EXPECT_TRUE(ProcessHeapsAreValid());
    }
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
