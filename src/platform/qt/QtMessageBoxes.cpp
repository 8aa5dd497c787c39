#include "platform/qt/QtMessageBoxes.h"

#include "platform/Busy.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

namespace kastrell {

namespace {
QMessageBox::StandardButtons ToQt(Buttons b) {
  switch (b) {
    case Buttons::Ok: return QMessageBox::Ok;
    case Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    case Buttons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon ToQt(Icon i) {
  switch (i) {
    case Icon::None: return QMessageBox::NoIcon;
    case Icon::Stop: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
  }
  return QMessageBox::NoIcon;
}

Answer FromQt(int button, Buttons set) {
  switch (button) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Retry: return Answer::Retry;
    case QMessageBox::Abort: return Answer::Abort;
    case QMessageBox::Ignore: return Answer::Ignore;
    default: return DefaultAnswer(set);
  }
}
}  // namespace

MessageResult QtMessageBoxes::Show(const MessageRequest& request) {
  // The box runs a nested event loop; timer work must wait until it closes.
  ScopedModalOperation modal;
  QString caption = request.caption.empty() ? QStringLiteral("Kastrell") : QString::fromStdString(request.caption);
  QMessageBox box(ToQt(request.icon), caption, QString::fromStdString(request.text), ToQt(request.buttons),
                  parent_);
  int button = box.exec();
  bool shift = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
  return MessageResult{FromQt(button, request.buttons), shift};
}

void QtMessageBoxes::Beep(BeepKind) { QApplication::beep(); }

bool QtMessageBoxes::ShiftHeld() {
  return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

}  // namespace kastrell
