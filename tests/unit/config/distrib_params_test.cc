#include "config/distrib_params.h"

#include <gtest/gtest.h>

#include "base/file_util.h"
#include "config/brand_info.h"
#include "config/service_hosts.h"
#include "process/installer_command_line.h"
#include "test_util.h"

namespace lite {
namespace {

TEST(DistribParamsTextTest, ParsesPairs) {
  struct Case {
    const char* text;
    DistribParamsMap expected;
  };
  const Case cases[] = {
      {"", {}},
      {"a=1&a=2", {{"a", "2"}}},
      {"flag&x=1", {{"flag", ""}, {"x", "1"}}},
      {"&&", {{"", ""}}},
      {"=v", {{"", "v"}}},
      {"k=a=b", {{"k", "a=b"}}},
      {"Lang=%41+b&lang= x ", {{"Lang", "%41+b"}, {"lang", " x "}}},
      {"a=1&", {{"a", "1"}}},
      {std::string("n=\xFF\0z", 5).c_str(), {{"n", "\xFF"}}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDistribParamsText(c.text), c.expected) << c.text;
  EXPECT_EQ(ParseDistribParamsText(std::string("n=a\0b&m", 7)),
            (DistribParamsMap{{"n", std::string("a\0b", 3)}, {"m", ""}}));
}

TEST(DistribParamsTextTest, DumpsJsonInKeyOrderWithoutEscapes) {
  EXPECT_EQ(DistribParamsToJson({{"stat", "1"}, {"lang", "ru"}}),
            "{\n  \"lang\": \"ru\",\n  \"stat\": \"1\"\n}");
  EXPECT_EQ(DistribParamsToJson({{"city", "\xC4\xB0stanbul"}, {"bad", "\xFF"}, {"\xC0", "x"},
                                 {"B", "\"q\""}}),
            "{\n  \"B\": \"\\\"q\\\"\",\n  \"city\": \"\xC4\xB0stanbul\"\n}");
  EXPECT_EQ(DistribParamsToJson({}), "{}");
}

// Initialisation with the registry and the executable path replaced.
class TestDistribParams : public DistribParams {
 public:
  explicit TestDistribParams(std::wstring tagged_file) : tagged_file_(std::move(tagged_file)) {}
  std::string stored;
  int store_calls = 0;

 protected:
  void StoreRawParams(const std::string& text) override {
    stored = text;
    ++store_calls;
  }
  std::wstring GetTaggedFilePath() override { return tagged_file_; }

 private:
  std::wstring tagged_file_;
};

TEST(DistribParamsTest, InitializesFromTheSwitchAndWritesTheDump) {
  ScopedTempFolder folder;
  TestDistribParams params(L"");
  const auto command_line =
      InstallerCommandLine::FromString(L"x.exe \"--distr-info-params=stat=1&lang=tr&def=1\"");
  EXPECT_TRUE(params.Initialize(command_line, folder.path() + L"\\"));
  EXPECT_EQ(params.stored, "stat=1&lang=tr&def=1");
  EXPECT_EQ(params.dump_path(), folder.Child(L"distrib_info"));
  EXPECT_EQ(ReadWholeFile(params.dump_path()),
            "{\n  \"def\": \"1\",\n  \"lang\": \"tr\",\n  \"stat\": \"1\"\n}");
  std::string value;
  EXPECT_TRUE(params.GetParam("lang", &value));
  EXPECT_EQ(value, "tr");
  EXPECT_FALSE(params.GetParam("Lang", &value));
}

TEST(DistribParamsTest, WithoutAnyTagNothingIsWritten) {
  ScopedTempFolder folder;
  // An empty switch value falls through to the executable, which here is
  // a file without a signature.
  const std::wstring plain = folder.Child(L"plain.exe");
  ASSERT_TRUE(WriteWholeFile(plain, "MZ not really"));
  for (const std::wstring& tagged : {std::wstring(), plain}) {
    TestDistribParams params(tagged);
    EXPECT_FALSE(params.Initialize(InstallerCommandLine::FromString(L"x.exe --distr-info-params="),
                                   folder.path() + L"\\"));
    EXPECT_EQ(params.store_calls, 0);
    EXPECT_TRUE(params.dump_path().empty());
    EXPECT_TRUE(params.params().empty());
    EXPECT_FALSE(PathExists(folder.Child(L"distrib_info")));
  }
}

TEST(DistribParamsTest, DumpPathStaysWhenTheFileCannotBeWritten) {
  ScopedTempFolder folder;
  TestDistribParams params(L"");
  EXPECT_TRUE(params.Initialize(InstallerCommandLine::FromString(L"x.exe --distr-info-params=a=1"),
                                folder.Child(L"missing\\")));
  EXPECT_EQ(params.dump_path(), folder.Child(L"missing\\distrib_info"));
}

class ParamsFor : public DistribParams {
 public:
  explicit ParamsFor(const std::string& text) {
    Initialize(InstallerCommandLine::FromString(L"x.exe \"--distr-info-params=" +
                                                std::wstring(text.begin(), text.end()) + L"\""),
               folder_.path() + L"\\");
  }

 protected:
  void StoreRawParams(const std::string&) override {}

 private:
  ScopedTempFolder folder_;
};

TEST(DistribParamsTest, OptionReaders) {
  bool value = true;
  EXPECT_FALSE(ParamsFor("def=yes").GetMakeDefault(&value));
  EXPECT_FALSE(value);
  EXPECT_TRUE(ParamsFor("def=2").GetMakeDefault(&value));
  EXPECT_FALSE(value);
  EXPECT_TRUE(ParamsFor("def=1").GetMakeDefault(&value));
  EXPECT_TRUE(value);

  EXPECT_TRUE(ParamsFor("statpromo=TRUE").GetStatistics(&value));
  EXPECT_FALSE(value);
  EXPECT_TRUE(ParamsFor("statpromo=true").GetStatistics(&value));
  EXPECT_TRUE(value);
  EXPECT_TRUE(ParamsFor("stat=2&statpromo=true").GetStatistics(&value));
  EXPECT_FALSE(value);
  EXPECT_FALSE(ParamsFor("stat=0").GetStatistics(&value));

  EXPECT_TRUE(ParamsFor("code=lite_install_failed").IsRetryAfterFailedInstall());
  EXPECT_FALSE(ParamsFor("code=other").IsRetryAfterFailedInstall());
  EXPECT_TRUE(ParamsFor("disal=1").UseAlternativeMirraWording());
  EXPECT_FALSE(ParamsFor("disal=01").UseAlternativeMirraWording());
  EXPECT_TRUE(ParamsFor("cancel=1").ShowCancelButton());
  EXPECT_TRUE(ParamsFor("uts2=1").UseTaskScheduler());
  EXPECT_TRUE(ParamsFor("mirrashortcut=2").GetMirraShortcut(&value));
  EXPECT_FALSE(value);

  EXPECT_TRUE(ParamsFor("first=1&def=2&stat=1").StartAtOnce());
  EXPECT_TRUE(ParamsFor("first=1&def=1&statpromo=x").StartAtOnce());
  EXPECT_FALSE(ParamsFor("first=1&def=3&stat=1").StartAtOnce());
  EXPECT_FALSE(ParamsFor("first=1&def=1").StartAtOnce());
}

TEST(DistribParamsTest, ElevationMode) {
  struct Case {
    const char* tag;
    const wchar_t* switches;
    int mode;
  };
  const Case cases[] = {
      {"uac=1", L"", 1},
      {"uac=2", L"", 2},
      {"uac=2", L"--system-level", 0},
      {"uac=1", L"--program-files-installation", 0},
      {"uac=7", L"", 0},
      {"uac= +2xyz", L"", 2},
      {"uac=-1", L"", 0},
      {"uac=4294967297", L"", 0},  // not a 32-bit number
      {"uac=0", L"", 0},
      {"uac=0&first=1&def=1&stat=1", L"", 1},
      {"uac=abc&first=1&def=1&stat=1", L"", 1},
      {"first=1&def=1&stat=1", L"", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParamsFor(c.tag).GetElevationMode(
                  InstallerCommandLine::FromString(std::wstring(L"x.exe ") + c.switches)),
              c.mode)
        << c.tag;
  }
}

TEST(DistribParamsTest, DownloadPageUrl) {
  struct Case {
    const char* brand_id;
    const char* tag;
    const char* path_and_query;
    const char* suffix;
  };
  const Case cases[] = {
      {"tb", "banerid=5&stat=1", "/download?banerid=5&full=1&code=lite_install_failed", "com.tr"},
      {"zelmar", "", "/download?full=1&code=lite_install_failed", "ru"},
      {"ua-uk", "lang=uk&zlpartner_id=%20x&partner_id=p", 
       "/download?lang=uk&partner_id=p&zlpartner_id=%20x&full=1&code=lite_install_failed", "ua"},
      {"int", "custo=1", "/download?custo=1&full=1&code=lite_install_failed", "com"},
      {"ua_uk", "", "/download?full=1&code=lite_install_failed", "ua"},
      {"ua_ru", "lang=ru", "/download?lang=ru&full=1&code=lite_install_failed", "ua"},
      {"ua-ru", "", "/download?full=1&code=lite_install_failed", "ua"},
      {"ua_by", "", "/download?full=1&code=lite_install_failed", "ru"},  // not in the table
  };
  for (const auto& c : cases) {
    BrandInfo brand(L"C:\\t\\");
    brand.brand_id = c.brand_id;
    EXPECT_EQ(BuildDownloadPageUrl(brand, ParamsFor(c.tag)),
              std::string("https://") + kBrowserSiteBaseHost + "." + c.suffix + c.path_and_query)
        << c.brand_id;
  }
}

}  // namespace
}  // namespace lite
