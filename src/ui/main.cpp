// The windowed editor.
#include <QApplication>

#include "platform/qt/QtPlatform.h"
#include "ui/MainWindow.h"
#include "ui/StartUp.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kastrell::QtPlatform qt;
  kastrell::ScopedPlatform installed(qt.platform);
  kastrell::PrepareStart();
  kastrell::MainWindow window;
  qt.boxes.SetParent(&window);
  window.show();
  return app.exec();
}
