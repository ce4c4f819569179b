#pragma once
// The data-access components as a form file names them: their classes and published properties,
// in declared order, on top of the framework's.

#include "morvanta/platform/formfiles/ClassRegistry.h"

namespace morvanta {

// Registers TMorvantaDatabase, TMorvantaTransaction, TMorvantaStoredProc, TMorvantaUpDateObject and
// TMorvantaDataset; the framework's classes must be registered already.
void RegisterComponentClasses(ClassRegistry& classes);

// A registry with the framework's classes and the components. Layers above (the windows and their
// grids) add their own classes to it before loading their forms.
ClassRegistry StandardClasses();

}  // namespace morvanta
