// The main window: a multiple-document area under a menu bar.
#pragma once
#include <QMainWindow>

class QMdiArea;

namespace kastrell {

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);
  QMdiArea* MdiArea() const { return mdi_; }

 private:
  void BuildMenus();
  QMdiArea* mdi_;
};

}  // namespace kastrell
