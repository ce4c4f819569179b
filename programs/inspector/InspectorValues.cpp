#include "programs/inspector/InspectorValues.h"

#include "morvanta/platform/framework/Component.h"
#include "morvanta/platform/core/Exceptions.h"

using namespace morvanta;

namespace {

[[noreturn]] void Refuse(const PublishedProperty& property, const AnsiString& text, const AnsiString& reason) {
  throw Exception("Valor inválido para "_a + AnsiString(property.name) + " (" + text + "): " + reason);
}

}  // namespace

PropertyValue PropertyValueFromText(const PublishedProperty& property, const AnsiString& text, const TComponent& form) {
  switch (property.kind) {
    case PropertyKind::Text:
      return text;
    case PropertyKind::Integer: {
      std::int64_t number = 0;
      if (!TryStrToInt(Trim(text), number)) Refuse(property, text, "não é um número inteiro"_a);
      if (property.maximum > property.minimum && (number < property.minimum || number > property.maximum))
        Refuse(property, text, "fora dos limites do tipo"_a);
      return number;
    }
    case PropertyKind::Boolean:
      if (SameText(Trim(text), "True")) return true;
      if (SameText(Trim(text), "False")) return false;
      Refuse(property, text, "use True ou False"_a);
    case PropertyKind::Character:
      if (text.size() != 1) Refuse(property, text, "um caractere"_a);
      return text[0];
    case PropertyKind::ComponentReference: {
      if (Trim(text).empty()) return static_cast<TComponent*>(nullptr);
      TComponent* target = form.FindComponent(Trim(text));
      if (!target) Refuse(property, text, "componente inexistente"_a);
      if (property.accepts && !property.accepts(*target)) Refuse(property, text, "componente de outra classe"_a);
      return target;
    }
    case PropertyKind::StringList:
    case PropertyKind::ParameterList:
      break;
  }
  Refuse(property, text, "lista"_a);
}
