#pragma once
// Form tests' helpers: the standard classes, loading a form text, the sample application's form
// file and the message of a refused load.

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "morvanta/components/published/ComponentClasses.h"
#include "morvanta/platform/formfiles/FormErrors.h"
#include "morvanta/platform/formfiles/StoredForm.h"

using namespace morvanta;

namespace formtest {

inline const ClassRegistry& Classes() {
  static const ClassRegistry classes = StandardClasses();
  return classes;
}

inline std::unique_ptr<TStoredForm> Load(const std::string& text, const ClassRegistry& classes = Classes()) {
  return TStoredForm::LoadFromText(text, "test.form.json", classes);
}

// One component's JSON object (properties given as JSON text) for building form files.
inline std::string Component(const std::string& className, const std::string& name,
                             const std::string& properties = "") {
  return R"({"Class": ")" + className + R"(", "Name": ")" + name + R"(", "Properties": {)" + properties + "}}";
}

inline std::string Form(const std::string& components) {
  return R"({"Name": "frmTeste", "Components": [)" + components + "]}";
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

inline std::string SampleFormPath() {
  return std::string(MORVANTA_SOURCE_DIR) + "/samples/loja-pedidos/loja-pedidos.form.json";
}

// The message of the refusal of a form text; a failure when it loads.
inline AnsiString RefusalOf(const std::string& text, const ClassRegistry& classes = Classes()) {
  try {
    Load(text, classes);
  } catch (const EReadError& error) {
    return error.Message();
  }
  ADD_FAILURE() << "the form text was expected to be refused";
  return AnsiString();
}

template <class T>
T& Find(TStoredForm& form, const char* name) {
  T* component = dynamic_cast<T*>(form.FindComponent(name));
  if (!component) throw std::runtime_error(std::string("no component ") + name);
  return *component;
}

}  // namespace formtest
