#include "ui/main_window_options.h"

#include <gtest/gtest.h>

#include <string>

#include "map_distrib_params.h"
#include "ui/main_window_layout.h"

namespace lite {
namespace {

// A given parameter decides; a box decides only what no parameter says.
TEST(MainWindowOptionsTest, ParametersWinOverCheckBoxes) {
  struct Case {
    DistribParamsMap params;
    CheckBoxStates boxes;
    bool make_default, send_statistics, mirra_shortcut, set_disable_mirra, disable_mirra;
  };
  const CheckBoxStates all_on = {true, true, true};
  const CheckBoxStates all_off = {false, false, false};
  const Case cases[] = {
      {{}, all_on, true, true, true, false, false},
      {{}, all_off, false, false, false, false, false},
      {{{"def", "2"}, {"stat", "2"}, {"mirrashortcut", "2"}}, all_on, false, false, false, false,
       false},
      {{{"def", "1"}, {"stat", "1"}, {"mirrashortcut", "1"}}, all_off, true, true, true, false,
       false},
      // Values other than "1" and "2" are no choice: the box decides.
      {{{"def", "yes"}, {"stat", "0"}, {"mirrashortcut", ""}}, all_on, true, true, true, false,
       false},
      // Without "stat", "statpromo" decides: only "true" sends.
      {{{"statpromo", "true"}}, all_off, false, true, false, false, false},
      {{{"statpromo", "1"}}, all_on, true, false, true, false, false},
      {{{"stat", "2"}, {"statpromo", "true"}}, all_on, true, false, true, false, false},
      // "disal" = "1" turns the shortcut choice into the disable flag.
      {{{"disal", "1"}}, {false, false, true}, false, false, true, true, false},
      {{{"disal", "1"}}, {false, false, false}, false, false, false, true, true},
      {{{"disal", "1"}, {"mirrashortcut", "2"}}, all_on, true, true, false, true, true},
      {{{"disal", "2"}}, all_off, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    const MapDistribParams params(c.params);
    const InstallOptions options = ResolveInstallOptions(params, c.boxes);
    EXPECT_EQ(options.make_default, c.make_default);
    EXPECT_EQ(options.send_statistics, c.send_statistics);
    EXPECT_EQ(options.mirra_shortcut, c.mirra_shortcut);
    EXPECT_EQ(options.set_disable_mirra, c.set_disable_mirra);
    EXPECT_EQ(options.disable_mirra, c.disable_mirra);
  }
}

TEST(MainWindowOptionsTest, LayoutTypeShowsTheBoxesLeftToTheUser) {
  struct Case {
    DistribParamsMap params;
    int elevation_mode;
    bool mirra_prompt;
    int type;
  };
  const Case cases[] = {
      {{}, 0, true, kDefaultBox | kStatisticsBox | kMirraBox},
      {{}, 0, false, kDefaultBox | kStatisticsBox},
      {{{"def", "1"}, {"stat", "2"}, {"mirrashortcut", "1"}}, 0, true, 0},
      {{{"def", "1"}}, 0, true, kStatisticsBox | kMirraBox},  // type 6
      {{{"stat", "1"}, {"mirrashortcut", "2"}}, 0, true, kDefaultBox},
      {{{"statpromo", "false"}}, 0, false, kDefaultBox},
      // Mode 2 never offers the default browser.
      {{}, 2, false, kStatisticsBox},
      {{}, 1, false, kDefaultBox | kStatisticsBox},
      {{{"mirrashortcut", "3"}}, 0, true, kDefaultBox | kStatisticsBox | kMirraBox},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    const MapDistribParams params(c.params);
    EXPECT_EQ(FirstScreenLayoutType(params, c.elevation_mode, c.mirra_prompt), c.type);
  }
}

TEST(MainWindowOptionsTest, ProgressScale) {
  const struct {
    double fraction;
    int percent;
  } downloads[] = {{0.0, 5}, {0.5, 22}, {1.0, 40}, {-1.0, 5}, {2.0, 40}};
  for (const auto& d : downloads) {
    EXPECT_EQ(DownloadPercent(static_cast<float>(d.fraction)), d.percent) << d.fraction;
  }
  const struct {
    uintptr_t stage;
    int percent;
  } stages[] = {{5, 75}, {7, 79}, {6, 0}, {0, 0}, {8, 0}};
  for (const auto& s : stages) EXPECT_EQ(InstallStagePercent(s.stage), s.percent) << s.stage;
  const struct {
    uintptr_t import;
    int percent;
  } imports[] = {{0, 80}, {50, 90}, {100, 100}, {101, 100}, {~uintptr_t{0}, 100}};
  for (const auto& i : imports) EXPECT_EQ(ImportPercent(i.import), i.percent) << i.import;
}

}  // namespace
}  // namespace lite
