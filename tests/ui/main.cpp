// The window tests run on the offscreen platform (also when started by hand), or on the one
// QT_QPA_PLATFORM names (CI runs them on xcb under Xvfb as well), with one toolkit application for
// the whole run.

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

#include "morvanta/platform/ui/Application.h"

using namespace morvanta;

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  Application().Initialize(argc, argv);
  const int result = RUN_ALL_TESTS();
  Application().Terminate();
  return result;
}
