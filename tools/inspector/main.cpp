// morvanta-inspector: opens a form file in design state to look at its components' published
// properties, in declared order, edit them and save the file.

#include <cstdio>
#include <string>
#include <vector>

#include "ComponentClasses.h"
#include "Exceptions.h"
#include "InspectorCommand.h"
#include "PropertyText.h"
#include "Runtime.h"
#include "StoredForm.h"

namespace {

void Print(const AnsiString& text) { std::fputs(ToSystem(text).c_str(), stdout); }

void ListForm(TStoredForm& form) {
  Print(form.Name() + "\n");
  for (int i = 0; i < form.ComponentCount(); ++i) {
    TComponent& component = *form.Components(i);
    const ComponentClass* componentClass = form.Classes().Find(component.ClassName());
    if (!componentClass) continue;
    Print("  " + component.Name() + ": " + componentClass->name + "\n");
    for (const PublishedProperty* property : form.Classes().PropertiesOf(*componentClass))
      Print("    " + property->name + " = " + PropertyValueText(property->get(component)) + "\n");
  }
}

int Run(const InspectorCommand& command) {
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
      break;
  }
  std::fputs("morvanta-inspector: this build has no inspector window; use --resave or --list\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  SetCommandLine(argc, argv);
  std::optional<InspectorCommand> command = ParseInspectorCommand(std::vector<std::string>(argv + 1, argv + argc));
  if (!command) {
    std::fputs(kInspectorUsage, stderr);
    return 2;
  }
  try {
    return Run(*command);
  } catch (const Exception& error) {
    std::fputs(("morvanta-inspector: " + ToSystem(error.Message()) + "\n").c_str(), stderr);
  } catch (const std::exception& error) {
    std::fputs((std::string("morvanta-inspector: ") + error.what() + "\n").c_str(), stderr);
  }
  return 1;
}
