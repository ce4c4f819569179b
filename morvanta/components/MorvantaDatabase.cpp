#include "morvanta/components/MorvantaDatabase.h"

#include "morvanta/platform/core/DateTime.h"

namespace morvanta {

namespace {

struct DriverProfile {
  AsciiLiteral connectionName;
  AsciiLiteral driverName;
  AsciiLiteral getDriverFunc;
  AsciiLiteral libraryName;
  AsciiLiteral vendorLib;
};

constexpr DriverProfile kInterbaseProfile{"IBConnection", "Interbase", "getSQLDriverINTERBASE", "dbxint30.dll",
                                          "gds32.dll"};
constexpr DriverProfile kFirebirdProfile{"IBConnection", "Interbase", "getSQLDriverINTERBASE", "dbexpUIBfire15.dll",
                                         "fbclient.dll"};
constexpr DriverProfile kOracleProfile{"OracleConnection", "Oracle", "getSQLDriverORACLE", "dbxora30.dll", "oci.dll"};
constexpr DriverProfile kNoProfile{"", "", "", "", ""};

// The parameter lines of a profile, joined by single carriage returns, none after the last.
AnsiString ProfileParameters(bool oracle, const AnsiString& database, const AnsiString& userName,
                             const AnsiString& password) {
  AnsiString text(oracle ? "DriverName=Oracle" : "DriverName=Interbase");
  auto line = [&text](const AnsiString& l) { text += '\r' + l; };
  line("Database=" + database);
  line("RoleName=RoleName"_a);
  line("User_Name=" + userName);
  line("Password=" + password);
  line("ServerCharSet="_a);
  line("SQLDialect=3"_a);
  line("ErrorResourceFile="_a);
  line("LocaleCode=0000"_a);
  line("BlobSize=-1"_a);
  if (oracle) {
    line("OS Authentication=False"_a);
    line("Multiple Transaction=False"_a);
    line("WaitOnLocks=True"_a);
    line("Decimal Separator=."_a);
    line("Oracle TransIsolation=ReadCommited"_a);
  } else {
    line("CommitRetain=False"_a);
    line("WaitOnLocks=True"_a);
    line("Interbase TransIsolation=ReadCommited"_a);
  }
  line("Trim Char=False"_a);
  return text;
}

}  // namespace

std::uint32_t TimeOfDayProduct(TDateTime moment, bool zeroCountsAsOne) {
  DateTimeParts p = DecodeDateTime(moment);
  auto part = [zeroCountsAsOne](int v) { return static_cast<std::uint32_t>(v == 0 && zeroCountsAsOne ? 1 : v); };
  return part(p.hour) * part(p.minute) * part(p.second) * part(p.millisecond);
}

TMorvantaDatabase::TMorvantaDatabase(TComponent* owner) : TSQLConnection(owner) {
  id_ = TimeOfDayProduct(Now(), false);
  SetLoadParamsOnConnect(false);
}

TMorvantaDatabase::~TMorvantaDatabase() = default;

void TMorvantaDatabase::ConfigureConnection(const AnsiString& kind, const AnsiString& database,
                                            const AnsiString& userName, const AnsiString& password) {
  const DriverProfile* profile = &kNoProfile;
  AnsiString parameters;
  if (kind == "Interbase") {
    profile = &kInterbaseProfile;
  } else if (kind == "Oracle") {
    profile = &kOracleProfile;
  } else if (kind == "Firebird") {
    profile = &kFirebirdProfile;
  }
  if (profile != &kNoProfile) parameters = ProfileParameters(profile == &kOracleProfile, database, userName, password);

  SetConnectionName(profile->connectionName);
  Params().SetText(ToWide(parameters));
  SetDriverName(profile->driverName);
  SetGetDriverFunc(profile->getDriverFunc);
  SetLibraryName(profile->libraryName);
  SetVendorLib(profile->vendorLib);
  SetLoginPrompt(false);
}

void TMorvantaDatabase::SetDriverName(AnsiString name) {
  TSQLConnection::SetDriverName(std::move(name));
  kind_ = DatabaseKindOf(DriverName());
}

const AnsiString& TMorvantaDatabase::DatabaseName() {
  try {
    databaseName_ = ToAnsi(Params().Values(u"Database"));
  } catch (...) {
    // The stored value stands when the parameters cannot be read.
  }
  return databaseName_;
}

}  // namespace morvanta
