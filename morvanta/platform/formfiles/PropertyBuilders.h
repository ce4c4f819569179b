#pragma once
// Builders of property descriptors from a class's getter and setter, for the property tables of
// the component classes:
//
//   published::Integer<TMorvantaDataset>("PacoteRegistros", &TMorvantaDataset::PacoteRegistros,
//                                        &TMorvantaDataset::SetPacoteRegistros)
//
// Getters and setters may be member functions or callables taking the component first. The range
// of an integer property comes from its getter's type.

#include <concepts>
#include <functional>
#include <limits>
#include <type_traits>
#include <utility>

#include "morvanta/platform/core/Params.h"
#include "morvanta/platform/formfiles/PublishedProperty.h"
#include "morvanta/platform/core/Strings.h"

namespace morvanta::published {

template <class C>
C& As(TComponent& component) {
  return static_cast<C&>(component);
}

inline PublishedProperty Make(std::string name, PropertyKind kind) {
  PublishedProperty property;
  property.name = std::move(name);
  property.kind = kind;
  return property;
}

template <class C, class Get, class Set>
PublishedProperty Text(std::string name, Get get, Set set) {
  PublishedProperty p = Make(std::move(name), PropertyKind::Text);
  p.get = [get](TComponent& c) { return PropertyValue(AnsiString(std::invoke(get, As<C>(c)))); };
  p.set = [set](TComponent& c, const PropertyValue& v) { std::invoke(set, As<C>(c), std::get<AnsiString>(v)); };
  return p;
}

// A text property whose class holds it as wide text.
template <class C, class Get, class Set>
PublishedProperty WideText(std::string name, Get get, Set set) {
  PublishedProperty p = Make(std::move(name), PropertyKind::Text);
  p.get = [get](TComponent& c) { return PropertyValue(ToAnsi(std::invoke(get, As<C>(c)))); };
  p.set = [set](TComponent& c, const PropertyValue& v) { std::invoke(set, As<C>(c), ToWide(std::get<AnsiString>(v))); };
  return p;
}

template <class C, class Get, class Set>
PublishedProperty Integer(std::string name, Get get, Set set, std::optional<std::int64_t> defaultValue = {}) {
  using T = std::remove_cvref_t<std::invoke_result_t<Get, C&>>;
  static_assert(std::is_integral_v<T> && sizeof(T) <= 4, "integer properties are at most 32 bits");
  PublishedProperty p = Make(std::move(name), PropertyKind::Integer);
  if (defaultValue) p.defaultValue = PropertyValue(*defaultValue);
  p.minimum = std::numeric_limits<T>::min();
  p.maximum = std::numeric_limits<T>::max();
  p.get = [get](TComponent& c) { return PropertyValue(static_cast<std::int64_t>(std::invoke(get, As<C>(c)))); };
  p.set = [set](TComponent& c, const PropertyValue& v) {
    std::invoke(set, As<C>(c), static_cast<T>(std::get<std::int64_t>(v)));
  };
  return p;
}

template <class C, class Get, class Set>
PublishedProperty Boolean(std::string name, Get get, Set set, std::optional<bool> defaultValue = {}) {
  PublishedProperty p = Make(std::move(name), PropertyKind::Boolean);
  if (defaultValue) p.defaultValue = PropertyValue(*defaultValue);
  p.get = [get](TComponent& c) { return PropertyValue(static_cast<bool>(std::invoke(get, As<C>(c)))); };
  p.set = [set](TComponent& c, const PropertyValue& v) { std::invoke(set, As<C>(c), std::get<bool>(v)); };
  return p;
}

template <class C, class Get, class Set>
PublishedProperty Character(std::string name, Get get, Set set, std::optional<char> defaultValue = {}) {
  PublishedProperty p = Make(std::move(name), PropertyKind::Character);
  if (defaultValue) p.defaultValue = PropertyValue(*defaultValue);
  p.get = [get](TComponent& c) { return PropertyValue(static_cast<char>(std::invoke(get, As<C>(c)))); };
  p.set = [set](TComponent& c, const PropertyValue& v) { std::invoke(set, As<C>(c), std::get<char>(v)); };
  return p;
}

// A string list, 8-bit or wide: the getter returns the class's list, the setter is given a list of
// the same type holding the new lines.
template <class C, class Get, class Set>
PublishedProperty Lines(std::string name, Get get, Set set) {
  using List = std::remove_cvref_t<std::invoke_result_t<Get, C&>>;
  PublishedProperty p = Make(std::move(name), PropertyKind::StringList);
  p.get = [get](TComponent& c) {
    StringLines lines;
    for (const auto& line : std::invoke(get, As<C>(c)).Lines()) {
      if constexpr (std::is_same_v<List, TWideStringList>) {
        lines.push_back(ToAnsi(line));
      } else {
        lines.push_back(line);
      }
    }
    return PropertyValue(std::move(lines));
  };
  p.set = [set](TComponent& c, const PropertyValue& v) {
    List list;
    for (const AnsiString& line : std::get<StringLines>(v)) {
      if constexpr (std::is_same_v<List, TWideStringList>) {
        list.Add(ToWide(line));
      } else {
        list.Add(line);
      }
    }
    std::invoke(set, As<C>(c), list);
  };
  return p;
}

// A parameter list: the setter is given a list holding the stored entries.
template <class C, class Get, class Set>
PublishedProperty Parameters(std::string name, Get get, Set set) {
  PublishedProperty p = Make(std::move(name), PropertyKind::ParameterList);
  p.get = [get](TComponent& c) { return PropertyValue(ToStoredParams(std::invoke(get, As<C>(c)))); };
  p.set = [set](TComponent& c, const PropertyValue& v) {
    TParams params;
    FromStoredParams(std::get<StoredParams>(v), params);
    std::invoke(set, As<C>(c), static_cast<const TParams&>(params));
  };
  return p;
}

// A link to another component of the form, of class T (named in messages as it names itself).
template <class C, class T, class Get, class Set>
PublishedProperty Reference(std::string name, Get get, Set set) {
  PublishedProperty p = Make(std::move(name), PropertyKind::ComponentReference);
  p.referenceClass = T::kClassName;
  p.accepts = [](const TComponent& target) { return dynamic_cast<const T*>(&target) != nullptr; };
  p.get = [get](TComponent& c) { return PropertyValue(static_cast<TComponent*>(std::invoke(get, As<C>(c)))); };
  p.set = [set](TComponent& c, const PropertyValue& v) {
    std::invoke(set, As<C>(c), dynamic_cast<T*>(std::get<TComponent*>(v)));
  };
  return p;
}

}  // namespace morvanta::published
