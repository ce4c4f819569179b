#include "morvanta/platform/formfiles/ClassRegistry.h"

#include "morvanta/platform/core/Exceptions.h"

namespace morvanta {

void ClassRegistry::Register(ComponentClass componentClass) {
  if (!componentClass.baseName.empty() && !Find(componentClass.baseName))
    throw EComponentError(
        AnsiString("Class " + componentClass.name + " names the unregistered base " + componentClass.baseName));
  for (const ComponentClass* c = Find(componentClass.baseName); c; c = Find(c->baseName))
    if (c->name == componentClass.name)
      throw EComponentError(AnsiString("Class " + componentClass.name + " would be its own base"));
  std::string name = componentClass.name;
  classes_.insert_or_assign(std::move(name), std::move(componentClass));
}

const ComponentClass* ClassRegistry::Find(std::string_view name) const {
  auto it = classes_.find(name);
  return it == classes_.end() ? nullptr : &it->second;
}

std::vector<const ComponentClass*> ClassRegistry::Classes() const {
  std::vector<const ComponentClass*> all;
  for (const auto& [name, componentClass] : classes_) all.push_back(&componentClass);
  return all;
}

std::vector<const PublishedProperty*> ClassRegistry::PropertiesOf(const ComponentClass& componentClass) const {
  std::vector<const ComponentClass*> chain;  // the class first, its farthest base last
  for (const ComponentClass* c = &componentClass; c; c = c->baseName.empty() ? nullptr : Find(c->baseName))
    chain.push_back(c);
  std::vector<const PublishedProperty*> properties;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (const PublishedProperty& property : (*it)->properties) properties.push_back(&property);
  return properties;
}

const PublishedProperty* ClassRegistry::FindProperty(const ComponentClass& componentClass,
                                                     std::string_view name) const {
  for (const PublishedProperty* property : PropertiesOf(componentClass))
    if (property->name == name) return property;
  return nullptr;
}

}  // namespace morvanta
