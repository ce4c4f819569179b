#include "morvanta/platform/formfiles/PropertyText.h"

namespace morvanta {

AnsiString PropertyValueText(const PropertyValue& value) {
  switch (KindOf(value)) {
    case PropertyKind::Text:
      return std::get<AnsiString>(value);
    case PropertyKind::Integer:
      return IntToStr(std::get<std::int64_t>(value));
    case PropertyKind::Boolean:
      return AnsiString(std::get<bool>(value) ? "True" : "False");
    case PropertyKind::Character:
      return AnsiString(1, std::get<char>(value));
    case PropertyKind::StringList: {
      std::size_t n = std::get<StringLines>(value).size();
      return "(" + IntToStr(static_cast<std::int64_t>(n)) + AnsiString(n == 1 ? " line)" : " lines)");
    }
    case PropertyKind::ParameterList: {
      std::size_t n = std::get<StoredParams>(value).size();
      return "(" + IntToStr(static_cast<std::int64_t>(n)) + AnsiString(n == 1 ? " parameter)" : " parameters)");
    }
    case PropertyKind::ComponentReference: {
      TComponent* target = std::get<TComponent*>(value);
      return target ? target->Name() : AnsiString();
    }
  }
  return AnsiString();
}

}  // namespace morvanta
