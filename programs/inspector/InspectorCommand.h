#pragma once
// The inspector's command line.
//
//   morvanta-inspector FORMFILE            opens the form in design state in the inspector window
//   morvanta-inspector --resave IN OUT     loads IN and saves it as OUT, without a window
//   morvanta-inspector --list FORMFILE     prints the components and their published properties
//   morvanta-inspector --help              prints the usage

#include <optional>
#include <string>
#include <vector>

enum class InspectorMode { Window, Resave, List, Help };

struct InspectorCommand {
  InspectorMode mode = InspectorMode::Window;
  std::string formFile;    // the file to open (system encoding)
  std::string outputFile;  // --resave: the file to write
};

// nullopt when the arguments fit none of the forms above.
std::optional<InspectorCommand> ParseInspectorCommand(const std::vector<std::string>& arguments);

extern const char* const kInspectorUsage;
