// The published properties of the framework's classes, in their declared order.

#include "morvanta/platform/formfiles/ClassRegistry.h"
#include "morvanta/platform/framework/DataSet.h"
#include "morvanta/platform/formfiles/PropertyBuilders.h"
#include "morvanta/platform/framework/SQLConnection.h"
#include "morvanta/platform/framework/SQLStoredProc.h"
#include "morvanta/platform/framework/UpdateSQL.h"

namespace morvanta {

using namespace published;

namespace {

std::vector<PublishedProperty> ConnectionProperties() {
  using C = TSQLConnection;
  return {
      Text<C>("ConnectionName", &C::ConnectionName, &C::SetConnectionName),
      Text<C>("DriverName", &C::DriverName, &C::SetDriverName),
      Text<C>("GetDriverFunc", &C::GetDriverFunc, &C::SetGetDriverFunc),
      Boolean<C>("KeepConnection", &C::KeepConnection, &C::SetKeepConnection, true),
      Text<C>("LibraryName", &C::LibraryName, &C::SetLibraryName),
      Boolean<C>("LoadParamsOnConnect", &C::LoadParamsOnConnect, &C::SetLoadParamsOnConnect, false),
      Boolean<C>("LoginPrompt", &C::LoginPrompt, &C::SetLoginPrompt, true),
      Lines<C>(
          "Params", [](C& c) -> const TWideStringList& { return c.Params(); },
          [](C& c, const TWideStringList& lines) { c.Params().Assign(lines); }),
      Integer<C>("TableScope", &C::TableScope, &C::SetTableScope, 0),
      Text<C>("VendorLib", &C::VendorLib, &C::SetVendorLib),
      // Connecting follows every other setting of the connection.
      Boolean<C>("Connected", &C::Connected, &C::SetConnected, false),
  };
}

std::vector<PublishedProperty> StoredProcProperties() {
  using C = TSQLStoredProc;
  return {
      Reference<C, TSQLConnection>("SQLConnection", &C::SQLConnection, &C::SetSQLConnection),
      WideText<C>("StoredProcName", &C::StoredProcName, &C::SetStoredProcName),
      Text<C>("SchemaName", &C::SchemaName, &C::SetSchemaName),
      Parameters<C>(
          "Params", [](C& c) -> const TParams& { return c.Params(); },
          [](C& c, const TParams& params) { c.Params().Assign(params); }),
  };
}

std::vector<PublishedProperty> UpdateSQLProperties() {
  using C = TUpdateSQL;
  auto list = [](TUpdateKind kind) {
    return std::pair{[kind](C& c) -> const TWideStringList& { return c.SQL(kind); },
                     [kind](C& c, const TWideStringList& lines) { c.SQL(kind).Assign(lines); }};
  };
  auto [getModify, setModify] = list(ukModify);
  auto [getInsert, setInsert] = list(ukInsert);
  auto [getDelete, setDelete] = list(ukDelete);
  return {
      Lines<C>("ModifySQL", getModify, setModify),
      Lines<C>("InsertSQL", getInsert, setInsert),
      Lines<C>("DeleteSQL", getDelete, setDelete),
  };
}

}  // namespace

void RegisterFrameworkClasses(ClassRegistry& classes) {
  // Only a base: a form holds none of its own.
  classes.Register(
      {TComponent::kClassName, "", nullptr, {Integer<TComponent>("Tag", &TComponent::Tag, &TComponent::SetTag, 0)}});
  classes.Register(ClassOf<TSQLConnection, TComponent>(ConnectionProperties()));
  classes.Register(ClassOf<TSQLStoredProc, TComponent>(StoredProcProperties()));
  classes.Register(ClassOf<TUpdateSQL, TComponent>(UpdateSQLProperties()));
  classes.Register(ClassOf<TDataSource, TComponent>(
      {Reference<TDataSource, TDataSet>("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet)}));
}

}  // namespace morvanta
