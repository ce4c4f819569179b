// The published properties of the connection, the transaction, the stored procedure and the update
// object, in their declared order.

#include "morvanta/components/published/ComponentClasses.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaStoredProc.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "morvanta/components/MorvantaUpDateObject.h"
#include "morvanta/platform/formfiles/PropertyBuilders.h"

namespace morvanta {

using namespace published;

namespace {

std::vector<PublishedProperty> DatabaseProperties() {
  using C = TMorvantaDatabase;
  return {
      Text<C>("DateFormat", &C::DateFormat, &C::SetDateFormat),
      Integer<C>("ID", &C::ID, &C::SetID),
      Text<C>("DatabaseName", &C::DatabaseName, &C::SetDatabaseName),
      Text<C>("cLogin", &C::cLogin, &C::SetcLogin),
      Boolean<C>("QueryLocal", &C::QueryLocal, &C::SetQueryLocal),
      Boolean<C>("PermiteConsultar", &C::PermiteConsultar, &C::SetPermiteConsultar),
      Boolean<C>("PermiteExcluir", &C::PermiteExcluir, &C::SetPermiteExcluir),
      Boolean<C>("PermiteInserir", &C::PermiteInserir, &C::SetPermiteInserir),
      Boolean<C>("PermiteAlterar", &C::PermiteAlterar, &C::SetPermiteAlterar),
      Boolean<C>("PermiteMovimentar", &C::PermiteMovimentar, &C::SetPermiteMovimentar),
  };
}

std::vector<PublishedProperty> TransactionProperties() {
  using C = TMorvantaTransaction;
  return {
      Reference<C, TMorvantaDatabase>("Database", &C::Database, &C::SetDatabase),
      Integer<C>("ID", &C::ID, &C::SetID),
      Reference<C, TMorvantaTransaction>("TransactionLOG", &C::TransactionLOG, &C::SetTransactionLOG),
  };
}

}  // namespace

void RegisterDatasetClass(ClassRegistry& classes);  // DatasetClass.cpp

void RegisterComponentClasses(ClassRegistry& classes) {
  classes.Register(ClassOf<TMorvantaDatabase, TSQLConnection>(DatabaseProperties()));
  classes.Register(ClassOf<TMorvantaTransaction, TComponent>(TransactionProperties()));
  classes.Register(ClassOf<TMorvantaStoredProc, TSQLStoredProc>({}));
  classes.Register(ClassOf<TMorvantaUpDateObject, TUpdateSQL>({Lines<TMorvantaUpDateObject>(
      "RefreshSQL", &TMorvantaUpDateObject::RefreshSQL, &TMorvantaUpDateObject::SetRefreshSQL)}));
  RegisterDatasetClass(classes);
}

ClassRegistry StandardClasses() {
  ClassRegistry classes;
  RegisterFrameworkClasses(classes);
  RegisterComponentClasses(classes);
  return classes;
}

}  // namespace morvanta
