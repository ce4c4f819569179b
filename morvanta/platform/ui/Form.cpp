#include "morvanta/platform/ui/Form.h"

#include <QApplication>
#include <QDialog>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

#include "morvanta/platform/ui/UiText.h"

namespace morvanta {

namespace {
const char* const kFormProperty = "morvantaForm";
}  // namespace

// The form's top-level window: every way of closing it (Escape, the frame's close button, Close)
// goes through reject, which asks the form first; Escape only where the form lets it close.
class TForm::FormWindow : public QDialog {
 public:
  explicit FormWindow(TForm& form) : form_(form) {}
  void reject() override {
    if (form_.CanClose()) QDialog::reject();
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        form_.escape_ == TEscapeKey::ekIgnored) {
      event->accept();
      return;
    }
    QDialog::keyPressEvent(event);
  }

 private:
  TForm& form_;
};

TForm::TForm(TComponent* owner) : TComponent(owner), window_(std::make_unique<FormWindow>(*this)) {
  window_->setProperty(kFormProperty, QVariant::fromValue(static_cast<void*>(this)));
  window_->setFont(FormFont());
  window_->setSizeGripEnabled(false);
}

TForm::~TForm() {
  window_->setProperty(kFormProperty, QVariant());
  window_.reset();
}

TForm* TForm::OfWindow(const QWidget* window) {
  if (!window) return nullptr;
  return static_cast<TForm*>(window->property(kFormProperty).value<void*>());
}

AnsiString TForm::Caption() const { return FromQString(window_->windowTitle()); }

void TForm::SetCaption(const AnsiString& caption) { window_->setWindowTitle(ToQString(caption)); }

void TForm::SetClientSize(int width, int height) {
  outerWidth_ = outerHeight_ = 0;
  window_->resize(width, height);
}

void TForm::SetOuterSize(int width, int height) {
  outerWidth_ = width;
  outerHeight_ = height;
  window_->resize(width, height);
}

void TForm::SetDesignedPosition(int left, int top) {
  left_ = left;
  top_ = top;
}

void TForm::SetBorderStyle(TBorderStyle style) {
  Qt::WindowFlags flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
  if (style == TBorderStyle::bsToolWindow) flags = Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
  if (style == TBorderStyle::bsSizeable) flags |= Qt::WindowMinMaxButtonsHint;
  window_->setWindowFlags(flags);
  if (style != TBorderStyle::bsSizeable) window_->setFixedSize(window_->size());
}

// The frame the window system adds around the client area (none on the offscreen platform).
void TForm::PlaceWindow() {
  QWidget& w = *window_;
  w.winId();  // the platform window exists, and with it the frame it will get
  const QMargins margins = w.windowHandle() ? w.windowHandle()->frameMargins() : QMargins();
  const QSize frame(margins.left() + margins.right(), margins.top() + margins.bottom());
  if (outerWidth_ > 0) {
    const QSize client(outerWidth_ - frame.width(), outerHeight_ - frame.height());
    if (w.minimumSize() == w.maximumSize()) w.setFixedSize(client);
    else w.resize(client);
  }
  QRect area;
  if (position_ == TPosition::poOwnerFormCenter) {
    QWidget* active = QApplication::activeWindow();
    if (active && active != &w) area = active->frameGeometry();
  }
  QScreen* screen = w.screen() ? w.screen() : QGuiApplication::primaryScreen();
  if (area.isNull() && position_ != TPosition::poDesigned && screen) area = screen->availableGeometry();
  if (position_ == TPosition::poDesigned || area.isNull()) {
    w.move(left_, top_);
    return;
  }
  const QSize outer = w.size() + frame;
  w.move(area.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

void TForm::WindowShown() {
  if (OnShow) OnShow(*this);
}

TModalResult TForm::ShowModal() {
  modalResult_ = TModalResult::mrNone;
  WindowShown();
  PlaceWindow();
  const int code = window_->exec();
  if (modalResult_ == TModalResult::mrNone)
    modalResult_ = code == QDialog::Accepted ? TModalResult::mrOk : TModalResult::mrCancel;
  return modalResult_;
}

void TForm::Show() {
  WindowShown();
  PlaceWindow();
  window_->show();
}

void TForm::Close() { window_->reject(); }

bool TForm::CanClose() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(*this, canClose);
  return canClose;
}

bool TForm::Visible() const { return window_->isVisible(); }

QFont FormFont() {
  // Tahoma where the system has it; otherwise DejaVu Sans Condensed, whose letters are about as
  // wide and high as Tahoma's at the same size, so the designed positions keep their room.
  static const QFont font = [] {
    const bool hasTahoma = QFontDatabase::hasFamily(QStringLiteral("Tahoma"));
    QFont f(hasTahoma ? QStringLiteral("Tahoma") : QStringLiteral("DejaVu Sans Condensed"));
    f.setPointSize(8);
    return f;
  }();
  return font;
}

}  // namespace morvanta
