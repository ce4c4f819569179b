#pragma once
// Helpers of the window tests: finding a window's controls by name, driving modal windows from a
// timer while the code under test waits in them, and a form of the application for owners.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

#include "Form.h"
#include "Runtime.h"

namespace uitest {

// The control of that name in the window; fails the test when there is none.
template <typename Control>
Control& Find(const TForm& form, const char* name) {
  auto* control = form.Window().findChild<Control*>(QString::fromLatin1(name));
  if (!control) {
    ADD_FAILURE() << "no control " << name;
    throw std::runtime_error(name);
  }
  return *control;
}

// Runs `step` once the next modal window is shown; the step is expected to close it. A window
// still open after ten seconds is closed, so that a failing test ends.
inline void OnNextModal(std::function<void(QWidget&)> step) {
  auto* timer = new QTimer();
  auto waited = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, step, waited] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) {
      if (++*waited > 1000) {
        ADD_FAILURE() << "no modal window was shown";
        timer->deleteLater();
        timer->stop();
      }
      return;
    }
    timer->stop();
    timer->deleteLater();
    step(*modal);
    QTimer::singleShot(10000, modal, [modal] {
      if (modal->isVisible()) {
        ADD_FAILURE() << "the modal window was left open";
        modal->close();
      }
    });
  });
  timer->start(5);
}

// Diagnostic mode on ("-Q") or off for the life of the object.
class DiagnosticMode {
 public:
  explicit DiagnosticMode(const char* flag = "-Q") { SetCommandLine(std::vector<AnsiString>{"app", flag}); }
  ~DiagnosticMode() { SetCommandLine(std::vector<AnsiString>{"app"}); }
};

// A form of the application, declared in its own unit.
class TfrmPedido : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TfrmPedido"; }
  const char* UnitName() const override { return "uPedido"; }
};

// The outer geometry of a control, relative to its parent.
inline QRect Bounds(const QWidget& control) { return control.geometry(); }

}  // namespace uitest
