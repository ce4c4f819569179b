#include "morvanta/platform/ui/Application.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "morvanta/platform/framework/ActionList.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/ui/Form.h"
#include "morvanta/platform/framework/UserInteraction.h"

namespace morvanta {

namespace {

TShortCut ShortCutOfKey(const QKeyEvent& event) {
  const int key = event.key();
  TShortCut code = 0;
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
    code = static_cast<TShortCut>(key);
  } else if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
    code = static_cast<TShortCut>(kKeyF1 + (key - Qt::Key_F1));
  } else {
    return 0;
  }
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  if (modifiers & Qt::ControlModifier) code |= scCtrl;
  if (modifiers & Qt::ShiftModifier) code |= scShift;
  if (modifiers & Qt::AltModifier) code |= scAlt;
  return code;
}

// Sees every key pressed in the program; a key that is the shortcut of an action of the form whose
// window has the focus runs that action and goes no further.
class ShortCutFilter : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    TForm* form = TForm::OfWindow(widget->window());
    if (!form) return false;
    const TShortCut shortCut = ShortCutOfKey(*static_cast<QKeyEvent*>(event));
    if (shortCut == 0) return false;
    bool ran = false;
    HandleEvent([&] { ran = ExecuteShortCut(*form, shortCut); });
    return ran;
  }
};

}  // namespace

TApplication::TApplication() : TComponent(nullptr) { SetName("Application"); }

TApplication::~TApplication() {
  // Reached at exit without Terminate: the toolkit cannot end during exit, it is left running.
  (void)ownApp_.release();
  (void)shortCutFilter_.release();
}

void TApplication::Terminate() {
  FreeForms();
  if (shortCutFilter_ && QApplication::instance()) QApplication::instance()->removeEventFilter(shortCutFilter_.get());
  shortCutFilter_.reset();
  ownApp_.reset();
}

void TApplication::FreeForms() {
  // The last created first, while the toolkit's application still exists.
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
}

void TApplication::Initialize(int& argc, char** argv) {
  if (!QApplication::instance()) ownApp_ = std::make_unique<QApplication>(argc, argv);
  ListenForShortCuts();
}

void TApplication::ListenForShortCuts() {
  if (shortCutFilter_ || !QApplication::instance()) return;
  shortCutFilter_ = std::make_unique<ShortCutFilter>();
  QApplication::instance()->installEventFilter(shortCutFilter_.get());
}

void TApplication::ProcessMessages() {
  if (QApplication::instance()) QApplication::processEvents();
}

TApplication& Application() {
  static TApplication application;
  return application;
}

void HandleEvent(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const EAbort&) {
  } catch (const Exception& error) {
    ShowMessage(error.Message());
  } catch (const std::exception& error) {
    ShowMessage(FromSystem(error.what()));
  }
}

}  // namespace morvanta
