#pragma once
// Entry points of the Firebird client library and the status object every call takes.
//
// `Status` is the one place where the client's error status becomes an exception: after each
// call of the object interface it raises EFirebirdError with the server's message, formatted by
// the client library and converted to code page 1252, its error codes and its SQLSTATE.

#include <firebird/Interface.h>

#include "morvanta/platform/core/Exceptions.h"

namespace morvanta::fb::detail {

// The client library's master and utility interfaces (process-wide, never released). The first
// use also makes sure the client converts file and user names as UTF-8 (see Client.cpp).
Firebird::IMaster* Master();
Firebird::IUtil* Util();

class Status : public Firebird::BaseStatusWrapper<Status> {
 public:
  Status();
  ~Status();
  Status(const Status&) = delete;
  Status& operator=(const Status&) = delete;

  // Called by the interface after every call: raises when the call reported an error.
  static void checkException(Status* status);
};

// The message of a status vector as the client library formats it, in code page 1252.
AnsiString FormatStatus(Firebird::IStatus* status);

// The exception for a failed call: the formatted message, the error codes and the SQLSTATE.
EFirebirdError ServerError(Firebird::IStatus* status);

}  // namespace morvanta::fb::detail
