#pragma once
// A form: a component that owns components and has a top-level window with a caption, a client
// area of a given size, a position (as designed, centred on the screen or over its owner) and a
// frame style. Controls are toolkit widgets inside Window(), named like the form's layout names
// them; the non-visual parts (data sources, datasets, action lists) are components it owns.

#include <QDialog>

#include <functional>
#include <memory>

#include "morvanta/platform/framework/Component.h"

class QFont;
class QWidget;

namespace morvanta {

enum class TPosition { poDesigned, poScreenCenter, poOwnerFormCenter };
enum class TBorderStyle { bsSizeable, bsDialog, bsToolWindow };
enum class TModalResult { mrNone, mrOk, mrCancel };
// Whether Escape closes the window (dialogs) or not (main windows).
enum class TEscapeKey { ekCloses, ekIgnored };

class TForm : public TComponent {
 public:
  // Owned by `owner` (normally the application object); created hidden.
  explicit TForm(TComponent* owner);
  ~TForm() override;
  static constexpr const char* kClassName = "TForm";
  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "Forms"; }

  QDialog& Window() const { return *window_; }
  // The form whose top-level window this is; nullptr for other windows.
  static TForm* OfWindow(const QWidget* window);

  AnsiString Caption() const;
  void SetCaption(const AnsiString& caption);
  // The client area: fixed for tool windows and dialogs, the starting size otherwise.
  void SetClientSize(int width, int height);
  // The whole window with its frame, for forms laid out by outer size.
  void SetOuterSize(int width, int height);
  void SetDesignedPosition(int left, int top);
  void SetPosition(TPosition position) { position_ = position; }
  TPosition Position() const { return position_; }
  void SetBorderStyle(TBorderStyle style);
  void SetEscapeKey(TEscapeKey escape) { escape_ = escape; }

  // Shows the window modally and returns when it was closed.
  TModalResult ShowModal();
  // Shows the window without waiting (tests and embedding).
  void Show();
  void Close();
  bool Visible() const;
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result) { modalResult_ = result; }

  // Raised each time the window is about to be shown; an error raised here leaves the window
  // hidden and reaches the caller of ShowModal or Show.
  std::function<void(TForm&)> OnShow;
  // Asked before the window closes (Close, Escape, the frame's close button); setting the flag
  // to false keeps it open. Not asked when the form is destroyed.
  std::function<void(TForm&, bool& canClose)> OnCloseQuery;

 private:
  class FormWindow;
  bool CanClose();
  void PlaceWindow();
  void WindowShown();

  std::unique_ptr<QDialog> window_;
  TPosition position_ = TPosition::poDesigned;
  TModalResult modalResult_ = TModalResult::mrNone;
  TEscapeKey escape_ = TEscapeKey::ekCloses;
  int outerWidth_ = 0, outerHeight_ = 0;
  int left_ = 0, top_ = 0;
};

// The font of the system's windows: Tahoma 8 point, or the closest font this system has.
QFont FormFont();

}  // namespace morvanta
