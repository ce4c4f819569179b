#include "morvanta/platform/formfiles/FormReader.h"

#include <map>
#include <set>
#include <vector>

#include "morvanta/platform/formfiles/FormErrors.h"
#include "morvanta/platform/formfiles/FormJson.h"
#include "morvanta/platform/formfiles/StoredForm.h"

namespace morvanta {

namespace {

// Raised by the parser's callback for a key that its object already has.
struct DuplicateKey {
  std::string key;
  std::size_t depth;
};

bool IsIdentifier(std::string_view name) {
  if (name.empty()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    if (!letter && !(i > 0 && c >= '0' && c <= '9')) return false;
  }
  return true;
}

AnsiString Quoted(std::string_view text) { return "\"" + AnsiString(text) + "\""; }

class FormReader {
 public:
  FormReader(std::string_view text, const std::string& fileName, TStoredForm& form)
      : text_(text), fileName_(FromSystem(fileName)), form_(form) {}

  void Read() {
    FormJson root = Parse();
    if (!root.is_object()) Refuse(""_a, "a form file holds one object with the form's Name and Components"_a);
    CheckKeys(root, {"Name", "Components"}, ""_a);
    form_.SetName(ComponentName(root, ""_a));
    if (!root.contains("Components") || !root["Components"].is_array()) Refuse(""_a, "Components must be an array"_a);
    int index = 0;
    for (const FormJson& component : root["Components"]) ReadComponent(component, ++index);
    for (int i = 0; i < form_.ComponentCount(); ++i) ResolveReferencesOf(form_.Components(i));
  }

 private:
  enum class Resolution { Pending, Running, Done };
  struct Fixup {
    TComponent* component;
    const PublishedProperty* property;
    AnsiString target;
  };

  FormJson Parse() const {
    std::vector<std::set<std::string>> keys;  // the keys seen so far in each open object
    auto callback = [&keys](int, FormJson::parse_event_t event, FormJson& parsed) {
      if (event == FormJson::parse_event_t::object_start) keys.emplace_back();
      if (event == FormJson::parse_event_t::object_end) keys.pop_back();
      if (event == FormJson::parse_event_t::key && !keys.back().insert(parsed.get<std::string>()).second)
        throw DuplicateKey{parsed.get<std::string>(), keys.size()};
      return true;
    };
    try {
      return FormJson::parse(text_.begin(), text_.end(), callback);
    } catch (const FormJson::parse_error& error) {
      std::string what = error.what();
      std::size_t at = what.find("syntax error");
      Refuse(Position(error.byte), at == std::string::npos ? AnsiString("syntax error") : FromSystem(what.substr(at)));
    } catch (const DuplicateKey& duplicate) {
      Refuse(""_a, "the key " + Quoted(FromSystem(duplicate.key)) + " appears twice in one object");
    }
  }

  AnsiString Position(std::size_t byte) const {
    std::size_t end = std::min(byte, text_.size());
    std::size_t line = 1, lineStart = 0;
    for (std::size_t i = 0; i + 1 < end; ++i)
      if (text_[i] == '\n') ++line, lineStart = i + 1;
    return "line " + IntToStr(static_cast<std::int64_t>(line)) + ", column " +
           IntToStr(static_cast<std::int64_t>(end - lineStart));
  }

  void CheckKeys(const FormJson& object, std::initializer_list<const char*> allowed, const AnsiString& where) const {
    for (const auto& [key, value] : object.items()) {
      bool known = false;
      for (const char* name : allowed) known = known || key == name;
      if (!known) Refuse(where, "unknown key " + Quoted(FromSystem(key)));
    }
  }

  AnsiString ComponentName(const FormJson& object, const AnsiString& where) const {
    if (!object.contains("Name") || !object["Name"].is_string()) Refuse(where, "a text Name is needed"_a);
    AnsiString name = FromSystem(object["Name"].get<std::string>());
    if (!IsIdentifier(name)) Refuse(where, Quoted(name) + " is not a valid component name");
    return name;
  }

  void ReadComponent(const FormJson& json, int index) {
    AnsiString where = "component #" + IntToStr(index);
    if (!json.is_object()) Refuse(where, "each component must be an object"_a);
    CheckKeys(json, {"Class", "Name", "Properties"}, where);
    AnsiString name = ComponentName(json, where);
    where = "component " + Quoted(name);
    if (form_.FindComponent(name)) Refuse(where, "a component of that name already exists"_a);
    if (!json.contains("Class") || !json["Class"].is_string()) Refuse(where, "a text Class is needed"_a);
    std::string className = json["Class"].get<std::string>();
    const ComponentClass* componentClass = form_.Classes().Find(className);
    if (!componentClass || !componentClass->create) Refuse(where, "unknown class " + Quoted(FromSystem(className)));
    TComponent* component = nullptr;
    try {
      component = componentClass->create(&form_);
    } catch (const Exception& error) {
      Refuse(where, error.Message());
    }
    component->SetName(name);
    if (!json.contains("Properties")) return;
    if (!json["Properties"].is_object()) Refuse(where, "Properties must be an object"_a);
    ReadProperties(*component, *componentClass, json["Properties"], where);
  }

  // Sets the properties in declared order; references wait until every component exists.
  void ReadProperties(TComponent& component, const ComponentClass& componentClass, const FormJson& json,
                      const AnsiString& where) {
    for (const auto& [key, value] : json.items())
      if (!form_.Classes().FindProperty(componentClass, key))
        Refuse(where + ", property " + Quoted(FromSystem(key)),
               "unknown property of " + AnsiString(componentClass.name));
    for (const PublishedProperty* property : form_.Classes().PropertiesOf(componentClass)) {
      auto it = json.find(property->name);
      if (it == json.end()) continue;
      AnsiString at = where + ", property " + Quoted(property->name);
      if (property->kind == PropertyKind::ComponentReference) {
        if (!it->is_string()) Refuse(at, "a component name was expected"_a);
        fixups_.push_back({&component, property, FromSystem(it->get<std::string>())});
        continue;
      }
      try {
        Set(component, *property, ValueFromJson(*property, *it));
      } catch (const Exception& error) {
        Refuse(at, error.Message());
      }
    }
  }

  // The targets' own references are set first, so that a setter that looks through its target
  // (a data source's dataset, a transaction's connection) finds it linked whatever the order of
  // the file.
  void ResolveReferencesOf(TComponent* component) {
    if (resolution_[component] != Resolution::Pending) return;
    resolution_[component] = Resolution::Running;
    for (const Fixup& fixup : fixups_) {
      if (fixup.component != component) continue;
      AnsiString at = "component " + Quoted(component->Name()) + ", property " + Quoted(fixup.property->name);
      TComponent* target = form_.FindComponent(fixup.target);
      if (!target) Refuse(at, "no component is named " + Quoted(fixup.target));
      if (!fixup.property->accepts(*target))
        Refuse(at, Quoted(fixup.target) + " is a " + AnsiString(target->ClassName()) + ", not a " +
                       AnsiString(fixup.property->referenceClass));
      ResolveReferencesOf(target);
      try {
        Set(*component, *fixup.property, PropertyValue(target));
      } catch (const Exception& error) {
        Refuse(at, error.Message());
      }
    }
    resolution_[component] = Resolution::Done;
  }

  static void Set(TComponent& component, const PublishedProperty& property, const PropertyValue& value) {
    try {
      property.set(component, value);
    } catch (const Exception&) {
      throw;
    } catch (const std::exception& error) {
      throw Exception(FromSystem(error.what()));
    }
  }

  [[noreturn]] void Refuse(const AnsiString& where, const AnsiString& detail) const {
    throw EReadError(fileName_ + ": " + (where.empty() ? AnsiString() : where + ": ") + detail);
  }

  std::string_view text_;
  AnsiString fileName_;
  TStoredForm& form_;
  std::vector<Fixup> fixups_;
  std::map<TComponent*, Resolution> resolution_;
};

}  // namespace

void ReadForm(std::string_view text, const std::string& fileName, TStoredForm& form) {
  FormReader(text, fileName, form).Read();
}

}  // namespace morvanta
