// Starts the real main window on Qt's offscreen platform.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

#include "app/UserValues.h"
#include "platform/Strings.h"
#include "platform/qt/QtPlatform.h"
#include "support/TempDir.h"
#include "ui/MainWindow.h"
#include "ui/StartUp.h"

namespace kastrell {
namespace {

int argc = 1;
char name[] = "test_ui";
char* argv[] = {name, nullptr};

TEST(MainWindow, OpensWithItsTitleAnEmptyMdiAreaAndMenus) {
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

// The start-up of the program as main() runs it, with the user's `Language`
// set to 1252 on a system whose ANSI code page is 1252. An invalid syntax
// directory makes the start-up show a message, which must be English too.
TEST(MainWindow, StartsInEnglishWhenTheLanguageIs1252) {
  test::TempDir home;
  ::setenv("XDG_CONFIG_HOME", home.Path().c_str(), 1);
  ::setenv("KASTRELL_ACP", "1252", 1);
  QApplication app(argc, argv);
  QtPlatform qt;
  ScopedPlatform installed(qt.platform);
  UserValues values(home / "kastrell/registry_u.ini");
  ASSERT_TRUE(values.SetInt(user_values::kInstall, user_values::kLanguage, 1252));
  ASSERT_TRUE(values.SetString(user_values::kInstall, user_values::kSyntaxDirectory, u"/no/such/folder"));
  QString message;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      message = box->text();
      box->accept();
    }
  });
  closer.start(20);
  PrepareStart();
  closer.stop();
  EXPECT_EQ(message, QStringLiteral("/no/such/folder\n\nInvalid directory setting."));

  MainWindow window;
  window.show();
  QApplication::processEvents();
  QList<QAction*> menus = window.menuBar()->actions();
  ASSERT_EQ(menus.size(), 9);
  EXPECT_EQ(menus.front()->text(), QStringLiteral("File"));
  EXPECT_EQ(menus.back()->text(), QStringLiteral("Help"));
  ASSERT_FALSE(menus.front()->menu()->actions().isEmpty());
  EXPECT_EQ(menus.front()->menu()->actions().back()->text(), QStringLiteral("E&xit"));
  SetLanguageStrings(nullptr);
}

}  // namespace
}  // namespace kastrell
