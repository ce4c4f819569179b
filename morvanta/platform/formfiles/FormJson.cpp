#include "morvanta/platform/formfiles/FormJson.h"

#include <cstdio>

#include "morvanta/platform/formfiles/TypeNames.h"

namespace morvanta {

namespace {

[[noreturn]] void WrongValue(const AnsiString& detail) { throw EPropertyValueError(detail); }

AnsiString DateTimeText(TDateTime value) {
  DateTimeParts p = DecodeDateTime(value);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.year, p.month, p.day, p.hour, p.minute,
                p.second, p.millisecond);
  return AnsiString(text);
}

TDateTime DateTimeFromText(const AnsiString& text) {
  DateTimeParts p;
  char end = 0;
  int read = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d.%3d%c", &p.year, &p.month, &p.day, &p.hour, &p.minute,
                         &p.second, &p.millisecond, &end);
  if (read != 7) WrongValue("\"" + text + "\" is not a date-time of the form yyyy-mm-dd hh:mm:ss.zzz");
  try {
    return EncodeDateTime(p.year, p.month, p.day, p.hour, p.minute, p.second, p.millisecond);
  } catch (const Exception&) {
    WrongValue("\"" + text + "\" is not a valid date-time");
  }
}

TVariant VariantFromJson(const FormJson& json) {
  if (json.is_boolean()) return TVariant(json.get<bool>());
  if (json.is_number_unsigned() && json.get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX))
    WrongValue("the parameter value is too large"_a);
  if (json.is_number_integer()) return TVariant(json.get<std::int64_t>());
  if (json.is_number_float()) return TVariant(json.get<double>());
  if (json.is_string()) return TVariant(TextFromJson(json));
  if (json.is_object() && json.size() == 1 && json.contains("DateTime") && json["DateTime"].is_string())
    return TVariant::FromDateTime(DateTimeFromText(TextFromJson(json["DateTime"])));
  WrongValue("a parameter value must be a Boolean, a number, a text or {\"DateTime\": text}"_a);
}

FormJson VariantToJson(const TVariant& value) {
  switch (value.GetKind()) {
    case TVariant::Kind::Boolean:
      return value.AsBoolean();
    case TVariant::Kind::Integer:
      return value.AsInteger();
    case TVariant::Kind::Float:
      return value.AsFloat();
    case TVariant::Kind::DateTime:
      return FormJson{{"DateTime", ToSystem(DateTimeText(value.AsDateTime()))}};
    case TVariant::Kind::String:
      return ToSystem(value.StringRef());
    default:
      return nullptr;
  }
}

StoredParam ParamFromJson(const FormJson& json) {
  if (!json.is_object()) WrongValue("each parameter must be an object"_a);
  for (const auto& [key, value] : json.items())
    if (key != "Name" && key != "DataType" && key != "ParamType" && key != "Value")
      WrongValue("a parameter has no setting \"" + FromSystem(key) + "\"");
  auto text = [&json](const char* key) {
    if (!json.contains(key) || !json[key].is_string()) WrongValue("each parameter needs a text " + AnsiString(key));
    return TextFromJson(json[key]);
  };
  StoredParam param;
  param.name = text("Name");
  auto dataType = FieldTypeFromIdent(text("DataType"));
  if (!dataType) WrongValue("parameter " + param.name + ": unknown data type " + text("DataType"));
  auto paramType = ParamTypeFromIdent(text("ParamType"));
  if (!paramType) WrongValue("parameter " + param.name + ": unknown parameter type " + text("ParamType"));
  param.dataType = *dataType;
  param.paramType = *paramType;
  param.value = json.contains("Value") ? VariantFromJson(json["Value"]) : TVariant::Null();
  return param;
}

FormJson ParamToJson(const StoredParam& param) {
  FormJson json = FormJson::object();
  json["Name"] = ToSystem(param.name);
  json["DataType"] = FieldTypeIdent(param.dataType);
  json["ParamType"] = ParamTypeIdent(param.paramType);
  if (!param.value.IsNull()) json["Value"] = VariantToJson(param.value);
  return json;
}

[[noreturn]] void WrongKind(const PublishedProperty& property) {
  const char* kind = PropertyKindName(property.kind);
  WrongValue(AnsiString(property.kind == PropertyKind::Integer ? "an " : "a ") + AnsiString(kind) + " was expected");
}

}  // namespace

AnsiString TextFromJson(const FormJson& json) {
  const std::string& utf8 = json.get_ref<const std::string&>();
  AnsiString text = FromSystem(utf8);
  if (ToSystem(text) != utf8) WrongValue("the text holds characters outside code page 1252"_a);
  return text;
}

PropertyValue ValueFromJson(const PublishedProperty& property, const FormJson& json) {
  switch (property.kind) {
    case PropertyKind::Text:
      if (!json.is_string()) WrongKind(property);
      return TextFromJson(json);
    case PropertyKind::Integer: {
      if (!json.is_number_integer()) WrongKind(property);
      bool fits = json.is_number_unsigned()
                      ? json.get<std::uint64_t>() <= static_cast<std::uint64_t>(property.maximum)
                      : json.get<std::int64_t>() >= property.minimum && json.get<std::int64_t>() <= property.maximum;
      if (!fits) WrongValue("the value is outside " + IntToStr(property.minimum) + " to " + IntToStr(property.maximum));
      return json.get<std::int64_t>();
    }
    case PropertyKind::Boolean:
      if (!json.is_boolean()) WrongKind(property);
      return json.get<bool>();
    case PropertyKind::Character: {
      if (!json.is_string()) WrongKind(property);
      AnsiString text = TextFromJson(json);
      if (text.size() != 1) WrongValue("a character (a text of one character) was expected"_a);
      return text[0];
    }
    case PropertyKind::StringList: {
      if (!json.is_array()) WrongKind(property);
      StringLines lines;
      for (const FormJson& line : json) {
        if (!line.is_string()) WrongValue("each line of a string list must be a text"_a);
        lines.push_back(TextFromJson(line));
      }
      return lines;
    }
    case PropertyKind::ParameterList: {
      if (!json.is_array()) WrongKind(property);
      StoredParams params;
      for (const FormJson& param : json) params.push_back(ParamFromJson(param));
      return params;
    }
    case PropertyKind::ComponentReference:
      break;
  }
  WrongKind(property);
}

FormJson ValueToJson(const PropertyValue& value) {
  switch (KindOf(value)) {
    case PropertyKind::Text:
      return ToSystem(std::get<AnsiString>(value));
    case PropertyKind::Integer:
      return std::get<std::int64_t>(value);
    case PropertyKind::Boolean:
      return std::get<bool>(value);
    case PropertyKind::Character:
      return ToSystem(AnsiString(1, std::get<char>(value)));
    case PropertyKind::StringList: {
      FormJson lines = FormJson::array();
      for (const AnsiString& line : std::get<StringLines>(value)) lines.push_back(ToSystem(line));
      return lines;
    }
    case PropertyKind::ParameterList: {
      FormJson params = FormJson::array();
      for (const StoredParam& param : std::get<StoredParams>(value)) params.push_back(ParamToJson(param));
      return params;
    }
    case PropertyKind::ComponentReference:
      break;
  }
  return nullptr;
}

}  // namespace morvanta
