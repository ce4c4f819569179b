#include "morvanta/platform/core/Exceptions.h"

namespace morvanta {

void Abort() { throw EAbort("Operation aborted"); }

}  // namespace morvanta
