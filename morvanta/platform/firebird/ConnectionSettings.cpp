#include "morvanta/platform/firebird/ConnectionSettings.h"

#include <ibase.h>

#include "morvanta/platform/firebird/detail/Handles.h"

namespace morvanta::fb {

namespace {

bool ReadBool(const AnsiString& text, bool fallback) {
  AnsiString t = Trim(text);
  if (SameText(t, "True") || t == "1") return true;
  if (SameText(t, "False") || t == "0") return false;
  return fallback;
}

AnsiString Value(const TWideStringList& params, std::u16string_view name) { return ToAnsi(params.Values(name)); }

}  // namespace

bool IsServerDatabase(std::string_view database) {
  if (database.find("://") != std::string_view::npos) return true;
  std::size_t colon = database.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  std::string_view host = database.substr(0, colon);
  // A drive letter ("C:\...") and paths whose first part holds a separator are files.
  if (host.size() == 1) return false;
  if (host.front() == '/' || host.front() == '.' || host.find('\\') != std::string_view::npos) return false;
  return true;
}

bool ConnectionSettings::OnServer() const { return IsServerDatabase(database); }

bool ConnectionSettings::Utf8Text() const { return SameText(charSet, "UTF8") || SameText(charSet, "UNICODE_FSS"); }

ConnectionSettings ReadSettings(const TWideStringList& params) {
  ConnectionSettings s;
  s.database = ToSystem(Value(params, u"Database"));
  s.userName = ToSystem(Value(params, u"User_Name"));
  s.password = ToSystem(Value(params, u"Password"));
  s.roleName = ToSystem(Trim(Value(params, u"RoleName")));
  s.charSet = Trim(Value(params, u"ServerCharSet"));
  std::int64_t number = 0;
  if (TryStrToInt(Trim(Value(params, u"SQLDialect")), number) && number >= 1 && number <= 3)
    s.dialect = static_cast<unsigned>(number);
  AnsiString isolation = Trim(Value(params, u"Interbase TransIsolation"));
  if (SameText(isolation, "RepeatableRead") || SameText(isolation, "Snapshot")) s.isolation = Isolation::Snapshot;
  s.waitOnLocks = ReadBool(Value(params, u"WaitOnLocks"), true);
  s.commitRetain = ReadBool(Value(params, u"CommitRetain"), false);
  s.trimChar = ReadBool(Value(params, u"Trim Char"), false);
  if (TryStrToInt(Trim(Value(params, u"BlobSize")), number)) s.blobSizeKb = static_cast<int>(number);
  return s;
}

std::vector<unsigned char> BuildDpb(const ConnectionSettings& s) {
  detail::XpbBuilder dpb(Firebird::IXpbBuilder::DPB);
  detail::Status status;
  // Every text in the block is UTF-8.
  dpb->insertTag(&status, isc_dpb_utf8_filename);
  // Keep the two paths apart: a plain path must never reach a server through the loopback
  // provider, nor a server path the embedded engine. The block's configuration is one text of
  // "name=value" lines.
  std::string config = s.OnServer() ? "Providers=Remote" : "Providers=Engine12";
  if (s.OnServer() && s.wireCompression == WireCompression::Requested) config += "\nWireCompression=true";
  dpb->insertString(&status, isc_dpb_config, config.c_str());
  if (!s.userName.empty()) dpb->insertString(&status, isc_dpb_user_name, s.userName.c_str());
  if (!s.password.empty()) dpb->insertString(&status, isc_dpb_password, s.password.c_str());
  if (!s.roleName.empty()) dpb->insertString(&status, isc_dpb_sql_role_name, s.roleName.c_str());
  if (!s.charSet.empty()) dpb->insertString(&status, isc_dpb_lc_ctype, s.charSet.c_str());
  dpb->insertInt(&status, isc_dpb_sql_dialect, static_cast<int>(s.dialect));
  const unsigned char* buffer = dpb->getBuffer(&status);
  return std::vector<unsigned char>(buffer, buffer + dpb->getBufferLength(&status));
}

std::vector<unsigned char> BuildTpb(const TransactionOptions& options) {
  const bool readOnly = options.access == Access::ReadOnly;
  std::vector<unsigned char> tpb{isc_tpb_version3, static_cast<unsigned char>(readOnly ? isc_tpb_read : isc_tpb_write)};
  if (options.isolation == Isolation::Snapshot) {
    tpb.push_back(isc_tpb_concurrency);
  } else {
    // Record versions: a reader sees the last committed version instead of waiting for writers.
    tpb.push_back(isc_tpb_read_committed);
    tpb.push_back(isc_tpb_rec_version);
  }
  tpb.push_back(options.lockResolution == LockResolution::Wait ? isc_tpb_wait : isc_tpb_nowait);
  if (options.commit == CommitMode::Autocommit) tpb.push_back(isc_tpb_autocommit);
  return tpb;
}

}  // namespace morvanta::fb
