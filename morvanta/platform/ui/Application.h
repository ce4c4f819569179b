#pragma once
// The application object of a graphical program: it owns the forms created for it, holds the
// toolkit's application while the program runs, and makes the action lists of a form answer to
// their shortcuts in that form's window.

#include <functional>
#include <memory>

#include "morvanta/platform/framework/Component.h"

class QApplication;
class QObject;

namespace morvanta {

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;
  static constexpr const char* kClassName = "TApplication";
  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "Forms"; }

  // Creates the toolkit's application unless one exists already (tests make their own) and
  // starts listening for shortcuts. argc and argv must outlive the application.
  void Initialize(int& argc, char** argv);
  // Frees the forms the application owns (before the toolkit's application ends).
  void FreeForms();
  // Frees the forms and the toolkit's application made by Initialize; a program calls it before
  // main returns (what is left at exit is not freed: the toolkit cannot end during exit).
  void Terminate();
  // Processes the pending window messages.
  void ProcessMessages();
  // The caption of message boxes.
  const AnsiString& Title() const { return title_; }
  void SetTitle(AnsiString title) { title_ = std::move(title); }

 private:
  void ListenForShortCuts();

  std::unique_ptr<QApplication> ownApp_;
  std::unique_ptr<QObject> shortCutFilter_;
  AnsiString title_;
};

// The one application object.
TApplication& Application();

// Runs the handler of a window event; an error it raises is shown in a message box (the silent
// abort shows nothing) instead of unwinding through the toolkit.
void HandleEvent(const std::function<void()>& handler);

}  // namespace morvanta
