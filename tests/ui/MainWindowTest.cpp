// Starts the real main window on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMenuBar>

#include "platform/qt/QtPlatform.h"
#include "ui/MainWindow.h"

namespace kastrell {
namespace {

TEST(MainWindow, OpensWithItsTitleAnEmptyMdiAreaAndMenus) {
  int argc = 1;
  char name[] = "test_ui";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  QtPlatform qt;
  ScopedPlatform installed(qt.platform);
  MainWindow window;
  window.show();
  QApplication::processEvents();
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Kastrell 3"));
  ASSERT_NE(window.MdiArea(), nullptr);
  EXPECT_TRUE(window.MdiArea()->subWindowList().isEmpty());
  ASSERT_EQ(window.menuBar()->actions().size(), 9);
  EXPECT_EQ(window.menuBar()->actions().front()->text(), QStringLiteral("文件"));
  EXPECT_TRUE(window.isVisible());
}

}  // namespace
}  // namespace kastrell
