#pragma once
// A published property of a component class: its name, its kind, how it is read and written (through
// the class's own getter and setter, so that writing it has the setter's effects) and when a stored
// form leaves it out.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "morvanta/platform/framework/Component.h"
#include "morvanta/platform/core/FieldTypes.h"
#include "morvanta/platform/core/Variant.h"

namespace morvanta {

class TParams;

// The kinds, in the order of the alternatives of PropertyValue.
enum class PropertyKind { Text, Integer, Boolean, Character, StringList, ParameterList, ComponentReference };

// "text", "integer", "Boolean", ... for messages.
const char* PropertyKindName(PropertyKind kind);

// One entry of a parameter list as a form stores it.
struct StoredParam {
  AnsiString name;
  TFieldType dataType = ftUnknown;
  TParamType paramType = ptUnknown;
  TVariant value;  // null when the parameter has no value

  friend bool operator==(const StoredParam&, const StoredParam&) = default;
};

using StringLines = std::vector<AnsiString>;
using StoredParams = std::vector<StoredParam>;
// A property's value; the alternative's index is the PropertyKind. A reference holds the target
// component (nullptr when unset).
using PropertyValue = std::variant<AnsiString, std::int64_t, bool, char, StringLines, StoredParams, TComponent*>;

inline PropertyKind KindOf(const PropertyValue& value) { return static_cast<PropertyKind>(value.index()); }

struct PublishedProperty {
  std::string name;
  PropertyKind kind = PropertyKind::Text;
  // A declared default (Booleans, integers, characters): a stored form leaves the property out
  // while it holds this value. Without one, Booleans, integers and characters are always written.
  std::optional<PropertyValue> defaultValue;
  // Integers: the values the property's type can hold.
  std::int64_t minimum = 0, maximum = 0;
  // References: the class a target must be of, by name for messages, and the test.
  std::string referenceClass;
  std::function<bool(const TComponent&)> accepts;

  std::function<PropertyValue(TComponent&)> get;
  std::function<void(TComponent&, const PropertyValue&)> set;
  // For a property whose setter changes the value it is given: the value a stored form writes,
  // which is what loading it gives back, so that one save makes a file canonical. Unset: `get`.
  std::function<PropertyValue(TComponent&)> stored;

  // Whether a stored form writes this value: empty texts, lists and unset references are left
  // out, and so is a value equal to the declared default.
  bool IsStored(const PropertyValue& value) const;
};

// Conversions between a parameter list and its stored form.
StoredParams ToStoredParams(const TParams& params);
void FromStoredParams(const StoredParams& stored, TParams& params);

}  // namespace morvanta
