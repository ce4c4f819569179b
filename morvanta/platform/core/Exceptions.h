#pragma once
// The exception hierarchy of the system, rooted at the framework's standard exception class.
// Messages are code page 1252 text; every class can name itself for the top-level report.

#include <algorithm>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "morvanta/platform/core/Text.h"

namespace morvanta {

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : message_(std::move(message)) {}
  explicit Exception(AsciiLiteral message) : message_(message) {}
  const AnsiString& Message() const noexcept { return message_; }
  void SetMessage(AnsiString message) { message_ = std::move(message); }
  virtual const char* ClassName() const noexcept { return "Exception"; }
  const char* what() const noexcept override { return message_.c_str(); }
  // Raises a copy of this error, of its own class and with all it carries (a server error's
  // codes), under another message: how a component puts its context on an error it caught.
  [[noreturn]] void RaiseWithMessage(AnsiString message) const {
    ThrowCopy(std::move(message));
    std::terminate();  // not reached: every class throws its copy
  }

 protected:
  virtual void ThrowCopy(AnsiString message) const {
    Exception copy(*this);
    copy.SetMessage(std::move(message));
    throw copy;
  }

 private:
  AnsiString message_;
};

#define MORVANTA_EXCEPTION_CLASS(Name, Base)                          \
  class Name : public Base {                                          \
   public:                                                            \
    using Base::Base;                                                 \
    const char* ClassName() const noexcept override { return #Name; } \
                                                                      \
   protected:                                                         \
    void ThrowCopy(AnsiString message) const override {               \
      Name copy(*this);                                               \
      copy.SetMessage(std::move(message));                            \
      throw copy;                                                     \
    }                                                                 \
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
// An error reported by the Firebird client library: the server's message, and beside it the
// error codes of its status vector (the isc_... numbers, in order) and its SQLSTATE, for code
// that has to tell one error from another.
class EFirebirdError : public EDatabaseError {
 public:
  using EDatabaseError::EDatabaseError;
  EFirebirdError(AnsiString message, std::vector<std::int64_t> errorCodes, std::string sqlState)
      : EDatabaseError(std::move(message)), errorCodes_(std::move(errorCodes)), sqlState_(std::move(sqlState)) {}
  const char* ClassName() const noexcept override { return "EFirebirdError"; }

  // The primary error code (the first of the vector) and the one after it; 0 when missing.
  std::int64_t ErrorCode() const noexcept { return errorCodes_.empty() ? 0 : errorCodes_[0]; }
  std::int64_t SecondaryErrorCode() const noexcept { return errorCodes_.size() < 2 ? 0 : errorCodes_[1]; }
  const std::vector<std::int64_t>& ErrorCodes() const noexcept { return errorCodes_; }
  bool HasErrorCode(std::int64_t code) const noexcept {
    return std::find(errorCodes_.begin(), errorCodes_.end(), code) != errorCodes_.end();
  }
  // The five characters of the SQLSTATE ("23000"); empty when the client gave none.
  const std::string& SqlState() const noexcept { return sqlState_; }

 protected:
  void ThrowCopy(AnsiString message) const override {
    EFirebirdError copy(*this);
    copy.SetMessage(std::move(message));
    throw copy;
  }

 private:
  std::vector<std::int64_t> errorCodes_;
  std::string sqlState_;
};

// Raises the silent abort.
[[noreturn]] void Abort();

}  // namespace morvanta
