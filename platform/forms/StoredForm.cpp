#include "StoredForm.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "FormErrors.h"
#include "FormJson.h"
#include "FormReader.h"

namespace {

void SetStateOf(TComponent& component, FormState state) {
  component.SetDesigning(state == FormState::Designing);
  for (int i = 0; i < component.ComponentCount(); ++i) SetStateOf(*component.Components(i), state);
}

AnsiString SystemError() { return FromSystem(std::strerror(errno)); }

}  // namespace

TStoredForm::TStoredForm(const ClassRegistry& classes, TComponent* owner) : TComponent(owner), classes_(classes) {}

std::unique_ptr<TStoredForm> TStoredForm::LoadFromText(std::string_view text, const std::string& fileName,
                                                       const ClassRegistry& classes) {
  auto form = std::make_unique<TStoredForm>(classes);
  ReadForm(text, fileName, *form);  // on a refusal the form goes, and with it what was built
  return form;
}

std::unique_ptr<TStoredForm> TStoredForm::LoadFromFile(const std::string& path, const ClassRegistry& classes) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  if (file) text << file.rdbuf();
  if (!file || file.bad()) throw EReadError(FromSystem(path) + ": the file cannot be read: " + SystemError());
  return LoadFromText(text.str(), path, classes);
}

std::string TStoredForm::SaveToText() const {
  FormJson components = FormJson::array();
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent& component = *Components(i);
    const ComponentClass* componentClass = classes_.Find(component.ClassName());
    if (!componentClass || !componentClass->create) continue;  // a helper made at run time
    FormJson properties = FormJson::object();
    for (const PublishedProperty* property : classes_.PropertiesOf(*componentClass)) {
      PropertyValue value = property->get(component);
      if (!property->IsStored(value)) continue;
      if (property->kind != PropertyKind::ComponentReference) {
        properties[property->name] = ValueToJson(value);
        continue;
      }
      TComponent* target = std::get<TComponent*>(value);
      if (target->Owner() != this || target->Name().empty())
        throw EWriteError("component \"" + component.Name() + "\", property \"" + property->name +
                          "\": the component it names does not belong to the form");
      properties[property->name] = ToSystem(target->Name());
    }
    FormJson json = FormJson::object();
    json["Class"] = componentClass->name;
    json["Name"] = ToSystem(component.Name());
    json["Properties"] = std::move(properties);
    components.push_back(std::move(json));
  }
  FormJson root = FormJson::object();
  root["Name"] = ToSystem(Name());
  root["Components"] = std::move(components);
  return root.dump(2, ' ', false, FormJson::error_handler_t::strict) + "\n";
}

void TStoredForm::SaveToFile(const std::string& path) const {
  std::string text = SaveToText();
  // Written beside the file and moved over it, so that a failed write leaves the old file whole.
  std::string temporary = path + ".saving";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << text;
    file.flush();
    if (!file) {
      AnsiString reason = SystemError();
      std::remove(temporary.c_str());
      throw EWriteError(FromSystem(path) + ": the file cannot be written: " + reason);
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    AnsiString reason = SystemError();
    std::remove(temporary.c_str());
    throw EWriteError(FromSystem(path) + ": the file cannot be written: " + reason);
  }
}

void TStoredForm::SetFormState(FormState state) { SetStateOf(*this, state); }
