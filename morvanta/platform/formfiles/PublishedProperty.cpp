#include "morvanta/platform/formfiles/PublishedProperty.h"

#include "morvanta/platform/core/Params.h"

namespace morvanta {

const char* PropertyKindName(PropertyKind kind) {
  switch (kind) {
    case PropertyKind::Text:
      return "text";
    case PropertyKind::Integer:
      return "integer";
    case PropertyKind::Boolean:
      return "Boolean";
    case PropertyKind::Character:
      return "character";
    case PropertyKind::StringList:
      return "string list";
    case PropertyKind::ParameterList:
      return "parameter list";
    case PropertyKind::ComponentReference:
      return "component reference";
  }
  return "unknown";
}

bool PublishedProperty::IsStored(const PropertyValue& value) const {
  switch (KindOf(value)) {
    case PropertyKind::Text:
      return !std::get<AnsiString>(value).empty();
    case PropertyKind::StringList:
      return !std::get<StringLines>(value).empty();
    case PropertyKind::ParameterList:
      return !std::get<StoredParams>(value).empty();
    case PropertyKind::ComponentReference:
      return std::get<TComponent*>(value) != nullptr;
    case PropertyKind::Integer:
    case PropertyKind::Boolean:
    case PropertyKind::Character:
      return !defaultValue || *defaultValue != value;
  }
  return true;
}

StoredParams ToStoredParams(const TParams& params) {
  StoredParams stored;
  for (int i = 0; i < params.Count(); ++i) {
    const TParam& param = params[i];
    stored.push_back(
        {ToAnsi(param.Name()), param.DataType(), param.ParamType(), param.IsNull() ? TVariant::Null() : param.Value()});
  }
  return stored;
}

void FromStoredParams(const StoredParams& stored, TParams& params) {
  params.Clear();
  for (const StoredParam& entry : stored) {
    TParam& param = params.CreateParam(entry.dataType, ToWide(entry.name), entry.paramType);
    // The stored data type stays: SetValue keeps a type already set.
    if (!entry.value.IsNull()) param.SetValue(entry.value);
  }
}

}  // namespace morvanta
