#pragma once
// The controls of the system's windows, made at a designed place with the name a layout gives them
// (as the widget's object name): labels, read-only rich text boxes, multi-line text boxes, list
// boxes, combo boxes that accept typed text, buttons, and panels aligned to an edge or to the
// whole client area of their parent.

#include <QRect>

#include <functional>

#include "morvanta/platform/core/Text.h"

class QComboBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;
class QWidget;

namespace morvanta {

enum class TFontStyle { fsRegular, fsBold };
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TScrollBars { ssNone, ssHorizontal, ssVertical, ssBoth };

// A label sized to its text at `at`; the text shows as written (no markup).
QLabel* NewLabel(QWidget* parent, const char* name, const AnsiString& text, QPoint at,
                 TFontStyle style = TFontStyle::fsRegular);
// A label of a fixed size.
QLabel* NewLabel(QWidget* parent, const char* name, const AnsiString& text, QRect bounds);
// A read-only rich text box on the window-face background.
QTextEdit* NewRichTextBox(QWidget* parent, const char* name, QRect bounds);
void SetRichText(QTextEdit& box, const AnsiString& text);
// A multi-line plain text box.
QPlainTextEdit* NewMemo(QWidget* parent, const char* name, TScrollBars scrollBars, bool readOnly);
QListWidget* NewListBox(QWidget* parent, const char* name);
// An editable drop-down list: the user may pick an entry or type any text.
QComboBox* NewComboBox(QWidget* parent, const char* name, QRect bounds);
QPushButton* NewButton(QWidget* parent, const char* name, const AnsiString& caption, QRect bounds);
// A panel with a raised bevel; its aligned children are laid out inside the bevel.
QFrame* NewPanel(QWidget* parent, const char* name);

// Shows the handler every key pressed while `control` has the focus, before the control sees it;
// a key the handler takes (returns true for) goes no further.
void OnKeyPress(QWidget& control, std::function<bool(const QKeyEvent&)> handler);

// Places `control` in its parent by alignment: alTop and alBottom keep `extent` as height,
// alLeft and alRight as width, alClient fills what the others leave. The parent must have been
// given its aligned children only through this function.
void SetAlign(QWidget& control, TAlign align, int extent = 0);

}  // namespace morvanta
