#include "morvanta/platform/formfiles/StoredForm.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "morvanta/platform/formfiles/FormErrors.h"
#include "morvanta/platform/formfiles/FormJson.h"
#include "morvanta/platform/formfiles/FormReader.h"

namespace morvanta {

namespace {

void SetStateOf(TComponent& component, FormState state) {
  component.SetDesigning(state == FormState::Designing);
  for (int i = 0; i < component.ComponentCount(); ++i) SetStateOf(*component.Components(i), state);
}

AnsiString SystemError() { return FromSystem(std::strerror(errno)); }

// The file a save replaces: `path`, or through symbolic links the file they lead to (which may
// not exist yet), so that a link stays a link.
std::filesystem::path ReplacedFile(const std::string& path) {
  std::filesystem::path target = path;
  std::error_code error;
  for (int hops = 0; hops < 40 && std::filesystem::is_symlink(target, error); ++hops) {
    const std::filesystem::path link = std::filesystem::read_symlink(target, error);
    if (error) break;
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  return target;
}

// A save replaces a regular file or makes a new one; a folder, a device, a fifo or a socket is
// never replaced by a file.
void RefuseUnlessRegularOrMissing(const std::filesystem::path& target, const std::string& path) {
  std::error_code error;
  const std::filesystem::file_type type = std::filesystem::status(target, error).type();
  if (type == std::filesystem::file_type::regular || type == std::filesystem::file_type::not_found) return;
  if (type == std::filesystem::file_type::directory)
    throw EWriteError(FromSystem(path) + ": is a folder; nothing was written");
  throw EWriteError(FromSystem(path) + ": is not a regular file; nothing was written");
}

}  // namespace

TStoredForm::TStoredForm(const ClassRegistry& classes, TComponent* owner) : TComponent(owner), classes_(classes) {}

std::unique_ptr<TStoredForm> TStoredForm::LoadFromText(std::string_view text, const std::string& fileName,
                                                       const ClassRegistry& classes) {
  auto form = std::make_unique<TStoredForm>(classes);
  ReadForm(text, fileName, *form);  // on a refusal the form goes, and with it what was built
  return form;
}

std::unique_ptr<TStoredForm> TStoredForm::LoadFromFile(const std::string& path, const ClassRegistry& classes) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) throw EReadError(FromSystem(path) + ": is a folder, not a form file");
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
      PropertyValue value = property->stored ? property->stored(component) : property->get(component);
      if (!property->IsStored(value)) continue;
      if (property->kind != PropertyKind::ComponentReference) {
        properties[property->name] = ValueToJson(value);
        continue;
      }
      TComponent* target = std::get<TComponent*>(value);
      if (target->Owner() != this || target->Name().empty())
        throw EWriteError("component \"" + component.Name() + "\", property \"" + AnsiString(property->name) +
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
  const std::filesystem::path target = ReplacedFile(path);
  RefuseUnlessRegularOrMissing(target, path);
  // Written beside the file and moved over it, so that a failed write leaves the old file whole.
  const std::string temporary = target.string() + ".saving";
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
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    AnsiString reason = SystemError();
    std::remove(temporary.c_str());
    throw EWriteError(FromSystem(path) + ": the file cannot be written: " + reason);
  }
}

void TStoredForm::SetFormState(FormState state) { SetStateOf(*this, state); }

}  // namespace morvanta
