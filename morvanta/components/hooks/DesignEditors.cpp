#include "morvanta/components/hooks/DesignEditors.h"

#include <utility>

namespace morvanta {

namespace {
GeneratorFieldEditor& Editor() {
  static GeneratorFieldEditor editor;
  return editor;
}
}  // namespace

void InstallGeneratorFieldEditor(GeneratorFieldEditor editor) { Editor() = std::move(editor); }
const GeneratorFieldEditor& InstalledGeneratorFieldEditor() { return Editor(); }

}  // namespace morvanta
