#include "morvanta/platform/ui/Controls.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

#include <functional>
#include <vector>

#include "morvanta/platform/ui/UiText.h"

namespace morvanta {

namespace {

// Lays out children by alignment, in the order top, bottom, left, right, client; within one
// alignment in the order they were aligned.
class AlignLayout : public QLayout {
 public:
  explicit AlignLayout(QWidget* parent) : QLayout(parent) { setContentsMargins(0, 0, 0, 0); }
  ~AlignLayout() override {
    for (Entry& e : entries_) delete e.item;
  }

  void Add(QWidget& widget, TAlign align, int extent) {
    addChildWidget(&widget);
    entries_.push_back({new QWidgetItem(&widget), align, extent});
    invalidate();
  }
  void addItem(QLayoutItem* item) override { entries_.push_back({item, TAlign::alClient, 0}); }
  int count() const override { return static_cast<int>(entries_.size()); }
  QLayoutItem* itemAt(int index) const override {
    return index >= 0 && index < count() ? entries_[static_cast<std::size_t>(index)].item : nullptr;
  }
  QLayoutItem* takeAt(int index) override {
    if (index < 0 || index >= count()) return nullptr;
    QLayoutItem* item = entries_[static_cast<std::size_t>(index)].item;
    entries_.erase(entries_.begin() + index);
    return item;
  }
  QSize sizeHint() const override { return QSize(100, 100); }
  QSize minimumSize() const override { return QSize(0, 0); }
  void setGeometry(const QRect& rect) override {
    QLayout::setGeometry(rect);
    // Inside a panel's bevel, whatever width the style gives it.
    auto* frame = qobject_cast<QFrame*>(parentWidget());
    QRect free = frame ? frame->contentsRect() : contentsRect();
    for (TAlign align : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient})
      for (Entry& e : entries_)
        if (e.align == align) e.item->setGeometry(Take(free, align, e.extent));
  }

 private:
  struct Entry {
    QLayoutItem* item;
    TAlign align;
    int extent;
  };
  static QRect Take(QRect& free, TAlign align, int extent) {
    QRect part = free;
    switch (align) {
      case TAlign::alTop:
        part.setHeight(extent);
        free.setTop(free.top() + extent);
        break;
      case TAlign::alBottom:
        part.setTop(free.bottom() + 1 - extent);
        free.setBottom(free.bottom() - extent);
        break;
      case TAlign::alLeft:
        part.setWidth(extent);
        free.setLeft(free.left() + extent);
        break;
      case TAlign::alRight:
        part.setLeft(free.right() + 1 - extent);
        free.setRight(free.right() - extent);
        break;
      default:
        break;
    }
    return part;
  }
  std::vector<Entry> entries_;
};

// Passes the keys pressed in one control to a handler, which may take them.
class KeyHandler : public QObject {
 public:
  KeyHandler(QWidget& control, std::function<bool(const QKeyEvent&)> handler)
      : QObject(&control), handler_(std::move(handler)) {
    control.installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    return event->type() == QEvent::KeyPress && handler_(*static_cast<QKeyEvent*>(event));
  }

 private:
  std::function<bool(const QKeyEvent&)> handler_;
};

template <typename Control>
Control* Named(Control* control, const char* name) {
  control->setObjectName(QString::fromLatin1(name));
  return control;
}

}  // namespace

QLabel* NewLabel(QWidget* parent, const char* name, const AnsiString& text, QPoint at, TFontStyle style) {
  auto* label = Named(new QLabel(parent), name);
  label->setTextFormat(Qt::PlainText);
  label->setText(ToQString(text));
  if (style == TFontStyle::fsBold) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
  label->move(at);
  label->adjustSize();
  return label;
}

QLabel* NewLabel(QWidget* parent, const char* name, const AnsiString& text, QRect bounds) {
  QLabel* label = NewLabel(parent, name, text, bounds.topLeft());
  label->setGeometry(bounds);
  return label;
}

QTextEdit* NewRichTextBox(QWidget* parent, const char* name, QRect bounds) {
  auto* box = Named(new QTextEdit(parent), name);
  box->setReadOnly(true);
  box->setAcceptRichText(false);
  box->setFocusPolicy(Qt::StrongFocus);
  box->setTabChangesFocus(true);
  box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  QPalette palette = box->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  box->setPalette(palette);
  box->setGeometry(bounds);
  return box;
}

void SetRichText(QTextEdit& box, const AnsiString& text) { box.setPlainText(ToQStringLines(text)); }

QPlainTextEdit* NewMemo(QWidget* parent, const char* name, TScrollBars scrollBars, bool readOnly) {
  auto* memo = Named(new QPlainTextEdit(parent), name);
  memo->setReadOnly(readOnly);
  const bool horizontal = scrollBars == TScrollBars::ssHorizontal || scrollBars == TScrollBars::ssBoth;
  const bool vertical = scrollBars == TScrollBars::ssVertical || scrollBars == TScrollBars::ssBoth;
  memo->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  memo->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  // With a horizontal scroll bar, long lines stay whole.
  memo->setLineWrapMode(horizontal ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
  return memo;
}

QListWidget* NewListBox(QWidget* parent, const char* name) { return Named(new QListWidget(parent), name); }

QComboBox* NewComboBox(QWidget* parent, const char* name, QRect bounds) {
  auto* combo = Named(new QComboBox(parent), name);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setGeometry(bounds);
  return combo;
}

QPushButton* NewButton(QWidget* parent, const char* name, const AnsiString& caption, QRect bounds) {
  auto* button = Named(new QPushButton(ToQString(caption), parent), name);
  // Enter on a focused button presses it; elsewhere it presses the window's default button.
  button->setAutoDefault(true);
  button->setGeometry(bounds);
  return button;
}

QFrame* NewPanel(QWidget* parent, const char* name) {
  auto* panel = Named(new QFrame(parent), name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(1);
  return panel;
}

void OnKeyPress(QWidget& control, std::function<bool(const QKeyEvent&)> handler) {
  new KeyHandler(control, std::move(handler));
}

void SetAlign(QWidget& control, TAlign align, int extent) {
  QWidget* parent = control.parentWidget();
  if (!parent || align == TAlign::alNone) return;
  auto* layout = dynamic_cast<AlignLayout*>(parent->layout());
  if (!layout) {
    delete parent->layout();
    layout = new AlignLayout(parent);
  }
  layout->Add(control, align, extent);
}

}  // namespace morvanta
