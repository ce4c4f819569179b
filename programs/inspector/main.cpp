// morvanta-inspector: opens a form file in design state to look at its components' published
// properties, in declared order, edit them and save the file.

#include <cstdio>
#include <string>
#include <vector>

#include "morvanta/components/published/ComponentClasses.h"
#include "morvanta/platform/core/Exceptions.h"
#include "programs/inspector/InspectorCommand.h"
#include "morvanta/platform/formfiles/PropertyText.h"
#include "morvanta/platform/framework/Runtime.h"
#include "morvanta/platform/core/StopSignals.h"
#include "morvanta/platform/formfiles/StoredForm.h"

#ifdef MORVANTA_INSPECTOR_WINDOW
#include <QApplication>

#include "morvanta/platform/ui/Application.h"
#include "morvanta/windows/GraphicalDiagnostics.h"
#include "programs/inspector/InspectorWindow.h"
#endif

using namespace morvanta;

namespace {

void Print(const AnsiString& text) { std::fputs(ToSystem(text).c_str(), stdout); }

void ListForm(TStoredForm& form) {
  Print(form.Name() + "\n");
  for (int i = 0; i < form.ComponentCount(); ++i) {
    TComponent& component = *form.Components(i);
    const ComponentClass* componentClass = form.Classes().Find(component.ClassName());
    if (!componentClass) continue;
    Print("  " + component.Name() + ": " + AnsiString(componentClass->name) + "\n");
    for (const PublishedProperty* property : form.Classes().PropertiesOf(*componentClass))
      Print("    " + AnsiString(property->name) + " = " + PropertyValueText(property->get(component)) + "\n");
  }
}

// The inspector window on the form; the generator picker runs against the form's connection.
int RunWindow(TStoredForm& form, const std::string& fileName, char** argv) {
#ifdef MORVANTA_INSPECTOR_WINDOW
  int qtArgc = 1;
  Application().Initialize(qtArgc, argv);
  Application().SetTitle("morvanta-inspector"_a);
  int result = 0;
  {
    const GraphicalDiagnostics diagnostics;
    auto* window = new TfrmInspector(&Application(), form, fileName);
    window->Show();
    result = QApplication::exec();
    Application().FreeForms();
  }
  Application().Terminate();
  return result;
#else
  (void)form;
  (void)fileName;
  (void)argv;
  std::fputs("morvanta-inspector: this build has no inspector window; use --resave or --list\n", stderr);
  return 2;
#endif
}

int Run(const InspectorCommand& command, char** argv) {
  ClassRegistry classes = StandardClasses();
  std::unique_ptr<TStoredForm> form = TStoredForm::LoadFromFile(command.formFile, classes);
  form->SetFormState(FormState::Designing);
  switch (command.mode) {
    case InspectorMode::Resave:
      form->SaveToFile(command.outputFile);
      return 0;
    case InspectorMode::List:
      ListForm(*form);
      return 0;
    case InspectorMode::Window:
    case InspectorMode::Help:
      break;
  }
  return RunWindow(*form, command.formFile, argv);
}

}  // namespace

int main(int argc, char** argv) {
  // Ctrl+C or SIGTERM ends the inspector at once (a form may connect when it is loaded); an
  // unsaved edit is lost as with any program ended so, and the file is replaced only whole.
  const StopSignals stop;
  SetCommandLine(argc, argv);
  std::optional<InspectorCommand> command = ParseInspectorCommand(std::vector<std::string>(argv + 1, argv + argc));
  if (!command) {
    std::fputs(kInspectorUsage, stderr);
    return 2;
  }
  if (command->mode == InspectorMode::Help) {
    std::fputs(kInspectorUsage, stdout);
    return 0;
  }
  try {
    return Run(*command, argv);
  } catch (const Exception& error) {
    std::fputs(("morvanta-inspector: " + ToSystem(error.Message()) + "\n").c_str(), stderr);
  } catch (const std::exception& error) {
    std::fputs((std::string("morvanta-inspector: ") + error.what() + "\n").c_str(), stderr);
  }
  return 1;
}
