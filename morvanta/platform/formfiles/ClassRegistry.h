#pragma once
// The component classes a form file may name: how to create each one and its published
// properties. A class lists only the properties it declares itself and names the registered base
// class whose properties come before them, so that a class's full list is its bases' in their
// order, then its own.
//
//   ClassRegistry classes;
//   RegisterFrameworkClasses(classes);        // TComponent, TSQLConnection, TDataSource, ...
//   classes.Register(ClassOf<TMyGrid, TComponent>({...its properties...}));

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "morvanta/platform/formfiles/PublishedProperty.h"

namespace morvanta {

struct ComponentClass {
  std::string name;      // the class name, as TComponent::ClassName gives it
  std::string baseName;  // the registered class whose properties come first; empty for none
  // Creates a component of the class with an owner; empty for classes that are only bases.
  std::function<TComponent*(TComponent* owner)> create;
  std::vector<PublishedProperty> properties;  // its own, in declared order
};

template <class C>
std::function<TComponent*(TComponent*)> Factory() {
  return [](TComponent* owner) -> TComponent* { return new C(owner); };
}

// The registration of class C, a component that can be created with an owner, after its registered
// base Base. Both names are the classes' own (kClassName, which ClassName returns), so that a form
// file names each component as the component names itself.
template <class C, class Base>
ComponentClass ClassOf(std::vector<PublishedProperty> properties) {
  static_assert(std::string_view(C::kClassName) != Base::kClassName, "the class declares no kClassName of its own");
  return {C::kClassName, Base::kClassName, Factory<C>(), std::move(properties)};
}

class ClassRegistry {
 public:
  // Adds a class, or replaces the one of the same name. Its base must be registered first.
  void Register(ComponentClass componentClass);
  // nullptr when no class of that name (compared exactly) is registered.
  const ComponentClass* Find(std::string_view name) const;
  // All published properties of a registered class: its bases' first, each in declared order.
  std::vector<const PublishedProperty*> PropertiesOf(const ComponentClass& componentClass) const;
  // The property of that name (compared exactly) among PropertiesOf; nullptr when none.
  const PublishedProperty* FindProperty(const ComponentClass& componentClass, std::string_view name) const;
  // Every registered class, by name.
  std::vector<const ComponentClass*> Classes() const;

 private:
  std::map<std::string, ComponentClass, std::less<>> classes_;
};

// The framework's classes: TComponent (Tag), TSQLConnection, TSQLStoredProc, TUpdateSQL and
// TDataSource.
void RegisterFrameworkClasses(ClassRegistry& classes);

}  // namespace morvanta
