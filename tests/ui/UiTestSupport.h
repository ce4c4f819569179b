#pragma once
// Helpers of the window tests: finding a window's controls by name, driving modal windows from a
// timer while the code under test waits in them, and a form of the application for owners.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

#include "morvanta/platform/ui/Form.h"
#include "morvanta/platform/framework/Runtime.h"

using namespace morvanta;

// Texts of the toolkit in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

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

// Runs `step` once the next modal window is shown, while the code under test waits in it; the
// step is expected to close it. Declared before the call that shows the window; at the end of the
// scope a step that never ran fails the test, and a window left open is closed.
class OnNextModal {
 public:
  explicit OnNextModal(std::function<void(QWidget&)> step) : step_(std::move(step)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(5);
  }
  ~OnNextModal() {
    timer_.stop();
    if (!ran_) ADD_FAILURE() << "no modal window was shown";
  }
  OnNextModal(const OnNextModal&) = delete;
  OnNextModal& operator=(const OnNextModal&) = delete;

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    timer_.stop();
    ran_ = true;
    step_(*modal);
    if (modal->isVisible()) {
      ADD_FAILURE() << "the modal window was left open";
      modal->close();
    }
  }

  std::function<void(QWidget&)> step_;
  QTimer timer_;
  bool ran_ = false;
};

// Diagnostic mode on ("-Q") or off for the life of the object.
class DiagnosticMode {
 public:
  explicit DiagnosticMode(const char* flag = "-Q") {
    SetCommandLine(std::vector<AnsiString>{"app"_a, AnsiString(flag)});
  }
  ~DiagnosticMode() { SetCommandLine(std::vector<AnsiString>{"app"_a}); }
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
