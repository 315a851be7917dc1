#include "system/installer_type_names.h"

#include <gtest/gtest.h>

namespace lite {
namespace {

TEST(InstallerTypeNamesTest, BothTables) {
  struct Case {
    int type;
    const char* name;
    const char* alt_name;
  };
  const Case cases[] = {
      {-2, "lite", ""},
      {-1, "-1", "-1"},
      {0, "lite", ""},
      {1, "full", "mini"},
      {2, "updater", "service"},
      {3, "service", "unknown"},
      {4, "service_audit", "icu_dat"},
      {5, "browser_diagnostics", "icu_dat_lock_failed"},
      {6, "lite", "version_folder_files_check"},
      {7, "lite", ""},
      {1000, "lite", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InstallerTypeName(c.type), c.name) << c.type;
    EXPECT_EQ(AltInstallerTypeName(c.type), c.alt_name) << c.type;
  }
}

}  // namespace
}  // namespace lite
