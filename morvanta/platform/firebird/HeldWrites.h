#pragma once
// How the failure of a held-back write reaches whoever held it back: given the server's error, as
// the statement alone raises it, the raiser raises the error that the holder's own call would
// have raised. Each held execution keeps a share of it for as long as it waits.

#include <functional>
#include <memory>

#include "morvanta/platform/core/Exceptions.h"

namespace morvanta::fb {

using HeldWriteRaiser = std::shared_ptr<const std::function<void(const EFirebirdError&)>>;

}  // namespace morvanta::fb
