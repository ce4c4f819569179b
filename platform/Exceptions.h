#pragma once
// The exception hierarchy of the system, rooted at the framework's standard exception class.
// Messages are code page 1252 text; every class can name itself for the top-level report.

#include <exception>

#include "Text.h"

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : message_(std::move(message)) {}
  const AnsiString& Message() const noexcept { return message_; }
  void SetMessage(AnsiString message) { message_ = std::move(message); }
  virtual const char* ClassName() const noexcept { return "Exception"; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  AnsiString message_;
};

#define MORVANTA_EXCEPTION_CLASS(Name, Base)                          \
  class Name : public Base {                                          \
   public:                                                            \
    using Base::Base;                                                 \
    const char* ClassName() const noexcept override { return #Name; } \
  };

// The silent abort: an error that no handler reports to the user.
MORVANTA_EXCEPTION_CLASS(EAbort, Exception)
// Framework errors.
MORVANTA_EXCEPTION_CLASS(EDatabaseError, Exception)
MORVANTA_EXCEPTION_CLASS(EConvertError, Exception)
MORVANTA_EXCEPTION_CLASS(EVariantError, Exception)
MORVANTA_EXCEPTION_CLASS(EListError, Exception)
MORVANTA_EXCEPTION_CLASS(EComponentError, Exception)
MORVANTA_EXCEPTION_CLASS(EInOutError, Exception)
// An error reported by the Firebird client library; the message is the server's.
MORVANTA_EXCEPTION_CLASS(EFirebirdError, EDatabaseError)

// Raises the silent abort.
[[noreturn]] void Abort();
