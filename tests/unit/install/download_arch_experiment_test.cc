#include "install/download_arch_experiment.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install_test_support.h"
#include "process/installer_command_line.h"

namespace lite {
namespace {

// Draws what the test says instead of asking the generator.
class ScriptedExperiment : public DownloadArchExperiment {
 public:
  bool draw_succeeds = true;
  uint32_t drawn = 0;
  int draws = 0;

 protected:
  bool DrawRandomBit(uint32_t* bit) override {
    ++draws;
    *bit = drawn;
    return draw_succeeds;
  }
};

constexpr uint64_t kGiB = 1ull << 30;
const char kNone[] = "<none>";

struct AdjustCase {
  const char* name;
  uint16_t native_architecture;
  const wchar_t* stored_state;  // null: absent
  const char* try_param;        // kNone: absent
  const char* ram_param;
  bool memory_known;
  uint64_t memory;
  uint32_t drawn;
  DownloadArchExperiment::Architecture expected;
  bool expect_draw;
  std::vector<std::string> expected_lines;
};

class AdjustDownloadUrlTest : public testing::TestWithParam<AdjustCase> {};

TEST_P(AdjustDownloadUrlTest, SelectsArchitecture) {
  const AdjustCase& test = GetParam();
  ScopedRegistryScratch registry;
  if (test.stored_state) ScopedRegistryScratch::StoreState(test.stored_state);
  FakePlatform platform;
  platform.architecture = test.native_architecture;
  platform.memory_known = test.memory_known;
  platform.memory = test.memory;
  ScopedPlatformQueriesOverride platform_override(&platform);
  FakeDistribParams params;
  if (std::string(test.try_param) != kNone) params.values["try_x64"] = test.try_param;
  if (std::string(test.ram_param) != kNone) params.values["x64_ram"] = test.ram_param;
  ScriptedExperiment experiment;
  experiment.drawn = test.drawn;
  ScopedLogCapture log;

  experiment.AdjustDownloadUrl(params);

  EXPECT_EQ(experiment.architecture(), test.expected);
  EXPECT_EQ(experiment.draws, test.expect_draw ? 1 : 0);
  EXPECT_EQ(LinesOf(log, {"AdjustDownloadUrl"}), test.expected_lines);
  // Choosing never writes; only the outcome of the download does.
  EXPECT_EQ(ScopedRegistryScratch::StoredState(),
            test.stored_state ? std::wstring(test.stored_state) : L"<absent>");
}

constexpr uint16_t kX64 = PROCESSOR_ARCHITECTURE_AMD64;
constexpr uint16_t kX86 = PROCESSOR_ARCHITECTURE_INTEL;
using A = DownloadArchExperiment;

INSTANTIATE_TEST_SUITE_P(
    Cases, AdjustDownloadUrlTest,
    testing::Values(
        AdjustCase{"NotX64MachineIgnoresEverything", kX86, L"1", "1", "1", true, 8 * kGiB, 1,
                   A::kNone, false, {}},
        AdjustCase{"ArmMachineIsNotX64", PROCESSOR_ARCHITECTURE_ARM64, nullptr, "1", "1", true,
                   8 * kGiB, 1, A::kNone, false, {}},
        AdjustCase{"StoredZeroKeeps32Bit", kX64, L"0", kNone, kNone, true, 8 * kGiB, 1, A::kX32,
                   false, {}},
        AdjustCase{"StoredOneKeeps64Bit", kX64, L"1", kNone, kNone, true, 8 * kGiB, 0, A::kX64,
                   false, {}},
        AdjustCase{"StoredTwoIsDisabledEvenWhenTagged", kX64, L"2", "1", "1", true, 8 * kGiB, 1,
                   A::kNone, false, {"I AdjustDownloadUrl: Experiment try_x64 is disabled"}},
        AdjustCase{"InvalidStoredStateFallsBackToDraw", kX64, L"3", "1", "1024", true, 8 * kGiB,
                   1, A::kX64, true, {}},
        AdjustCase{"NonNumericStoredStateFallsBackToDraw", kX64, L"1x", "1", "1024", true,
                   8 * kGiB, 0, A::kX32, true, {}},
        AdjustCase{"NotTagged", kX64, nullptr, kNone, "1024", true, 8 * kGiB, 1, A::kNone, false,
                   {}},
        AdjustCase{"TaggedOtherThanOne", kX64, nullptr, "2", "1024", true, 8 * kGiB, 1, A::kNone,
                   false, {}},
        AdjustCase{"NoRamThreshold", kX64, nullptr, "1", kNone, true, 8 * kGiB, 1, A::kNone,
                   false, {}},
        AdjustCase{"RamThresholdNotANumber", kX64, nullptr, "1", "4GB", true, 8 * kGiB, 1,
                   A::kNone, false, {}},
        AdjustCase{"RamThresholdOverflows", kX64, nullptr, "1", "18446744073709551616", true,
                   8 * kGiB, 1, A::kNone, false, {}},
        AdjustCase{"DrawOneSelects64Bit", kX64, nullptr, "1", "4294967296", true, 4 * kGiB, 1,
                   A::kX64, true, {}},
        AdjustCase{"DrawZeroSelects32Bit", kX64, nullptr, "1", "4294967296", true, 8 * kGiB, 0,
                   A::kX32, true, {}},
        AdjustCase{"NotEnoughMemory", kX64, nullptr, "1", "4294967296", true, 2 * kGiB, 1,
                   A::kNone, false,
                   {"I AdjustDownloadUrl: Not enough memory for try_x64 needed:4294967296, "
                    "available:2147483648"}},
        AdjustCase{"MemoryUnknown", kX64, nullptr, "1", "0", false, 8 * kGiB, 1, A::kNone, false,
                   {"I AdjustDownloadUrl: Not enough memory for try_x64 needed:0, available:0"}}),
    [](const testing::TestParamInfo<AdjustCase>& info) { return std::string(info.param.name); });

TEST(AdjustDownloadUrlDrawTest, FailedDrawSelectsNothing) {
  ScopedRegistryScratch registry;
  FakePlatform platform;
  ScopedPlatformQueriesOverride platform_override(&platform);
  FakeDistribParams params;
  params.values = {{"try_x64", "1"}, {"x64_ram", "1"}};
  ScriptedExperiment experiment;
  experiment.draw_succeeds = false;
  experiment.drawn = 1;
  experiment.AdjustDownloadUrl(params);
  EXPECT_EQ(experiment.architecture(), A::kNone);
}

// The real generator: both outcomes turn up and nothing else does.
TEST(AdjustDownloadUrlDrawTest, SystemGeneratorGivesBothBuilds) {
  ScopedRegistryScratch registry;
  FakePlatform platform;
  ScopedPlatformQueriesOverride platform_override(&platform);
  FakeDistribParams params;
  params.values = {{"try_x64", "1"}, {"x64_ram", "1"}};
  int counts[3] = {0, 0, 0};
  for (int i = 0; i < 200; ++i) {
    DownloadArchExperiment experiment;
    experiment.AdjustDownloadUrl(params);
    ++counts[experiment.architecture()];
  }
  EXPECT_EQ(counts[A::kNone], 0);
  EXPECT_GT(counts[A::kX64], 0);
  EXPECT_GT(counts[A::kX32], 0);
}

struct OverrideCase {
  const wchar_t* command_line;
  bool applied;
  DownloadArchExperiment::Architecture expected;
};

TEST(CommandLineOverrideTest, SwitchesForceBuild) {
  const OverrideCase cases[] = {
      {L"lite.exe", false, A::kNone},
      {L"lite.exe --download-x64", true, A::kX64},
      {L"lite.exe /download-x32", true, A::kX32},
      {L"lite.exe --download-x32 --download-x64", true, A::kX64},
      {L"lite.exe --download-x86", false, A::kNone},
  };
  for (const OverrideCase& test : cases) {
    ScriptedExperiment experiment;
    EXPECT_EQ(experiment.ApplyCommandLineOverride(InstallerCommandLine::FromString(test.command_line)),
              test.applied)
        << test.command_line;
    EXPECT_EQ(experiment.architecture(), test.expected) << test.command_line;
    EXPECT_EQ(experiment.draws, 0);
  }
}

struct RegistryCase {
  const wchar_t* command_line;
  bool first_source_succeeded;
  const wchar_t* expected_state;
};

TEST(ConfigurateRegistryTest, RecordsOutcomeOfSelectedBuild) {
  const RegistryCase cases[] = {
      {L"lite.exe", true, L"<absent>"},
      {L"lite.exe", false, L"<absent>"},
      {L"lite.exe --download-x64", true, L"1"},
      {L"lite.exe --download-x32", true, L"0"},
      {L"lite.exe --download-x64", false, L"2"},
      {L"lite.exe --download-x32", false, L"2"},
  };
  for (const RegistryCase& test : cases) {
    ScopedRegistryScratch registry;
    ScriptedExperiment experiment;
    experiment.ApplyCommandLineOverride(InstallerCommandLine::FromString(test.command_line));
    experiment.ConfigurateRegistry(test.first_source_succeeded);
    EXPECT_EQ(ScopedRegistryScratch::StoredState(), test.expected_state)
        << test.command_line << " " << test.first_source_succeeded;
  }
}

}  // namespace
}  // namespace lite
