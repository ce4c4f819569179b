#include "morvanta/components/hooks/DesignEditors.h"

#include <utility>

namespace {
GeneratorFieldEditor& Editor() {
  static GeneratorFieldEditor editor;
  return editor;
}
}  // namespace

void InstallGeneratorFieldEditor(GeneratorFieldEditor editor) { Editor() = std::move(editor); }
const GeneratorFieldEditor& InstalledGeneratorFieldEditor() { return Editor(); }
