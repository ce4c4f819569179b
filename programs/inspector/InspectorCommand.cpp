#include "programs/inspector/InspectorCommand.h"

const char* const kInspectorUsage =
    "usage: morvanta-inspector FORMFILE\n"
    "       morvanta-inspector --resave IN OUT\n"
    "       morvanta-inspector --list FORMFILE\n"
    "       morvanta-inspector --help\n";

std::optional<InspectorCommand> ParseInspectorCommand(const std::vector<std::string>& arguments) {
  if (arguments.size() == 1 && arguments[0] == "--help") return InspectorCommand{InspectorMode::Help, {}, {}};
  if (arguments.size() == 3 && arguments[0] == "--resave")
    return InspectorCommand{InspectorMode::Resave, arguments[1], arguments[2]};
  if (arguments.size() == 2 && arguments[0] == "--list") return InspectorCommand{InspectorMode::List, arguments[1], {}};
  if (arguments.size() == 1 && !arguments[0].starts_with("--"))
    return InspectorCommand{InspectorMode::Window, arguments[0], {}};
  return std::nullopt;
}
