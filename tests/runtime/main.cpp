// Test entry: brings the runtime core up as the process entry would.
#include "startup/loader.h"
#include <gtest/gtest.h>

int main(int argc, char **argv) {
  runtime_core_init();
  testing::InitGoogleTest(&argc, argv);
  testing::GTEST_FLAG(death_test_style) = "threadsafe";
  return RUN_ALL_TESTS();
}
