#include "morvanta/platform/firebird/detail/Client.h"

#include <clocale>
#include <cstring>
#include <langinfo.h>

#include <ibase.h>

namespace morvanta::fb::detail {

namespace {

// The client library converts file names and user names between UTF-8 and the character set
// of the C locale. A process left in the "C" locale has ASCII there, and every accented name
// would be refused; our text leaves the process as UTF-8 (ToSystem), so say so.
void UseUtf8Locale() {
  const char* codeset = nl_langinfo(CODESET);
  if (codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0)) return;
  if (!std::setlocale(LC_CTYPE, "C.UTF-8")) std::setlocale(LC_CTYPE, "en_US.UTF-8");
}

Firebird::IMaster* LoadMaster() {
  UseUtf8Locale();
  return Firebird::fb_get_master_interface();
}

}  // namespace

Firebird::IMaster* Master() {
  static Firebird::IMaster* master = LoadMaster();
  return master;
}

Firebird::IUtil* Util() {
  static Firebird::IUtil* util = Master()->getUtilInterface();
  return util;
}

Status::Status() : BaseStatusWrapper(Master()->getStatus()) {}

Status::~Status() { status->dispose(); }

void Status::checkException(Status* s) {
  if (s->dirty && (s->getState() & Firebird::IStatus::STATE_ERRORS)) throw ServerError(s->status);
}

EFirebirdError ServerError(Firebird::IStatus* status) {
  const intptr_t* vector = status->getErrors();
  std::vector<std::int64_t> codes;
  // The vector is a sequence of (argument kind, value) pairs ended by isc_arg_end.
  for (const intptr_t* v = vector; *v != isc_arg_end; v += 2) {
    if (*v == isc_arg_gds) codes.push_back(v[1]);
    if (*v == isc_arg_cstring) ++v;  // carries a length and a pointer
  }
  char sqlState[6] = {};
  fb_sqlstate(sqlState, vector);
  return EFirebirdError(FormatStatus(status), std::move(codes), sqlState);
}

AnsiString FormatStatus(Firebird::IStatus* status) {
  char buffer[4096];
  Util()->formatStatus(buffer, sizeof buffer, status);
  return FromSystem(buffer);
}

}  // namespace morvanta::fb::detail
