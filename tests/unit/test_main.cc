#include <gtest/gtest.h>

#include "crash_exit.h"

int main(int argc, char** argv) {
  lite::ExitOnCrash();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
