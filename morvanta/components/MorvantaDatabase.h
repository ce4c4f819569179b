#pragma once
// The connection component: a framework connection with ready-made driver profiles, the store's
// permission flags and a connection number drawn from the time of day.

#include <cstdint>

#include "morvanta/components/DatabaseKind.h"
#include "morvanta/platform/core/DateTime.h"
#include "morvanta/platform/framework/SQLConnection.h"

namespace morvanta {

class TMorvantaDatabase : public TSQLConnection {
 public:
  explicit TMorvantaDatabase(TComponent* owner);
  ~TMorvantaDatabase() override;

  static constexpr const char* kClassName = "TMorvantaDatabase";

  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "MorvantaDatabase"; }

  // Applies the profile of a database kind ("Interbase", "Firebird" or "Oracle"; any other
  // value empties the driver settings and the parameters). Does not connect.
  void ConfigureConnection(const AnsiString& kind, const AnsiString& database, const AnsiString& userName,
                           const AnsiString& password);

  // The driver name stays as written; the kind it stands for is resolved here, once per write.
  void SetDriverName(AnsiString name) override;
  DatabaseKind Kind() const { return kind_; }

  const AnsiString& DateFormat() const { return dateFormat_; }
  void SetDateFormat(AnsiString value) { dateFormat_ = std::move(value); }
  std::uint32_t ID() const { return id_; }
  void SetID(std::uint32_t value) { id_ = value; }
  // Reads the Database entry of the parameters, remembers it and returns it; never raises.
  const AnsiString& DatabaseName();
  void SetDatabaseName(AnsiString value) { databaseName_ = std::move(value); }
  const AnsiString& cLogin() const { return cLogin_; }
  void SetcLogin(AnsiString value) { cLogin_ = std::move(value); }
  bool QueryLocal() const { return queryLocal_; }
  void SetQueryLocal(bool value) { queryLocal_ = value; }

  // The store's permissions; all true after creation.
  bool PermiteConsultar() const { return permiteConsultar_; }
  void SetPermiteConsultar(bool value) { permiteConsultar_ = value; }
  bool PermiteExcluir() const { return permiteExcluir_; }
  void SetPermiteExcluir(bool value) { permiteExcluir_ = value; }
  bool PermiteInserir() const { return permiteInserir_; }
  void SetPermiteInserir(bool value) { permiteInserir_ = value; }
  bool PermiteAlterar() const { return permiteAlterar_; }
  void SetPermiteAlterar(bool value) { permiteAlterar_ = value; }
  bool PermiteMovimentar() const { return permiteMovimentar_; }
  void SetPermiteMovimentar(bool value) { permiteMovimentar_ = value; }

 private:
  AnsiString dateFormat_;
  std::uint32_t id_ = 0;
  AnsiString databaseName_;
  AnsiString cLogin_;
  bool queryLocal_ = false;
  bool permiteInserir_ = true;
  bool permiteMovimentar_ = true;
  bool permiteExcluir_ = true;
  bool permiteConsultar_ = true;
  bool permiteAlterar_ = true;
  DatabaseKind kind_ = DatabaseKind::Other;
};

// hour x minute x second x millisecond of a time of day, as 32-bit unsigned integers.
std::uint32_t TimeOfDayProduct(TDateTime moment, bool zeroCountsAsOne);

}  // namespace morvanta
