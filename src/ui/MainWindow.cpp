#include "ui/MainWindow.h"

#include <QApplication>
#include <QMdiArea>
#include <QMenuBar>

#include "platform/StringIds.h"
#include "platform/Strings.h"

namespace kastrell {

namespace {
QString Text(unsigned id) {
  std::string_view s = LoadString(id);
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), mdi_(new QMdiArea(this)) {
  setWindowTitle(Text(ids::kAppTitle));
  setCentralWidget(mdi_);
  BuildMenus();
  resize(1000, 700);
}

void MainWindow::BuildMenus() {
  // The top-level menus by their names in the string table: File, Edit, View,
  // Search, HTML, Browser, Tools, Window, Help. Their items come with the
  // commands that fill them.
  for (unsigned id = 20070; id <= 20078; ++id) menuBar()->addMenu(Text(id));
  QMenu* file = menuBar()->actions().front()->menu();
  QAction* exit = file->addAction(Text(ids::kMenuFileExit));
  connect(exit, &QAction::triggered, qApp, &QApplication::closeAllWindows);
}

}  // namespace kastrell
