#pragma once
#include <functional>

namespace morvanta {

class TMorvantaDataset;

// The design-time editor that setting GeneratorField_Edit true runs while the dataset is in design
// state. A graphical program installs the generator picker here; without one nothing is opened.
using GeneratorFieldEditor = std::function<void(TMorvantaDataset&)>;

void InstallGeneratorFieldEditor(GeneratorFieldEditor editor);
const GeneratorFieldEditor& InstalledGeneratorFieldEditor();

}  // namespace morvanta
