#pragma once
// Errors of form files: a file that cannot be loaded, a form that cannot be saved.

#include "morvanta/platform/core/Exceptions.h"

namespace morvanta {

MORVANTA_EXCEPTION_CLASS(EFilerError, Exception)
// A form file refused; the message names the file and, where they apply, the component and the
// property.
MORVANTA_EXCEPTION_CLASS(EReadError, EFilerError)
MORVANTA_EXCEPTION_CLASS(EWriteError, EFilerError)

}  // namespace morvanta
