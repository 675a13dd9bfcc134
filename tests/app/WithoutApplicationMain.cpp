// Main of the tests of what the program does before it has a QApplication: no application is
// made here; a test makes its own once its work before the application has begun.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  return RUN_ALL_TESTS();
}
