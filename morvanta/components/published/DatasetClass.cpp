// The published properties of the dataset, in the order in which a stored form writes them.

#include "morvanta/components/published/ComponentClasses.h"
#include "morvanta/platform/framework/DataSet.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "morvanta/components/MorvantaUpDateObject.h"
#include "morvanta/platform/formfiles/PropertyBuilders.h"
#include "morvanta/components/statement/SqlTextPreparation.h"

namespace morvanta {

using namespace published;

namespace {

using C = TMorvantaDataset;

// From the packet size to the macro character.
void AddStatementProperties(std::vector<PublishedProperty>& p) {
  p.push_back(Integer<C>("PacoteRegistros", &C::PacoteRegistros, &C::SetPacoteRegistros));
  p.push_back(Reference<C, TMorvantaDatabase>("Database", &C::Database, &C::SetDatabase));
  p.push_back(Reference<C, TMorvantaTransaction>("Transaction", &C::Transaction, &C::SetTransaction));
  p.push_back(Lines<C>("SQL", &C::SQL, &C::SetSQL));
  p.push_back(Lines<C>("SelectSQL", &C::SelectSQL, &C::SetSelectSQL));
  p.push_back(Lines<C>("DeleteSQL", &C::DeleteSQL, &C::SetDeleteSQL));
  p.push_back(Lines<C>("ModifySQL", &C::ModifySQL, &C::SetModifySQL));
  p.push_back(Lines<C>("InsertSQL", &C::InsertSQL, &C::SetInsertSQL));
  p.push_back(Boolean<C>("ManterCase", &C::ManterCase, &C::SetManterCase, false));
  p.push_back(Parameters<C>("Params", &C::Params, &C::SetParams));
  p.push_back(Parameters<C>("Macros", &C::Macros, &C::SetMacros));
  // Loading sets Macros before SQLInterno exists, so the entries a loaded form has are those the
  // scan of its SQLInterno makes, without values: that is what is stored.
  p.back().stored = [](TComponent& c) {
    auto& dataset = static_cast<C&>(c);
    TParams scanned;
    ScanMacros(dataset.CaseFolded(dataset.SQLInterno()), dataset.MacroChar(), scanned);
    return PropertyValue(ToStoredParams(scanned));
  };
  p.push_back(Character<C>("MacroChar", &C::MacroChar, &C::SetMacroChar));
}

// From the prepared text to the float precision.
void AddSettingProperties(std::vector<PublishedProperty>& p) {
  p.push_back(Text<C>("SQLInterno", &C::SQLInterno, &C::SetSQLInterno));
  // Stored case-folded, as loading folds it: a text set through SQL or SelectSQL is taken over
  // unfolded.
  p.back().stored = [](TComponent& c) {
    auto& dataset = static_cast<C&>(c);
    return PropertyValue(dataset.CaseFolded(dataset.SQLInterno()));
  };
  p.push_back(Text<C>("GeneratorField", &C::GeneratorField, &C::SetGeneratorField));
  p.push_back(Boolean<C>("GeneratorField_Edit", &C::GeneratorField_Edit, &C::SetGeneratorField_Edit));
  p.push_back(Boolean<C>("CachedUpdates", &C::CachedUpdates, &C::SetCachedUpdates));
  p.push_back(Reference<C, TMorvantaUpDateObject>("UpdateObject", &C::UpdateObject, &C::SetUpdateObject));
  p.push_back(Text<C>("Text", &C::Text, &C::SetText));
  p.push_back(Boolean<C>("IgnorarErro", &C::IgnorarErro, &C::SetIgnorarErro));
  p.push_back(Boolean<C>("PermiteApostrofo", &C::PermiteApostrofo, &C::SetPermiteApostrofo));
  p.push_back(Boolean<C>("InternalInsert", &C::InternalInsert, &C::SetInternalInsert));
  p.push_back(Reference<C, TDataSource>("DataSource", &C::DataSource, &C::SetDataSource));
  p.push_back(Boolean<C>("IsControleLog", &C::IsControleLog, &C::SetIsControleLog));
  p.push_back(Text<C>("DefaultValue_Integer", &C::DefaultValue_Integer, &C::SetDefaultValue_Integer));
  p.push_back(Text<C>("DefaultValue_Float", &C::DefaultValue_Float, &C::SetDefaultValue_Float));
  p.push_back(Text<C>("DefaultValue_String", &C::DefaultValue_String, &C::SetDefaultValue_String));
  p.push_back(Boolean<C>("IgnoreLog", &C::IgnoreLog, &C::SetIgnoreLog, false));
  p.push_back(Integer<C>("FloatPrecision", &C::FloatPrecision, &C::SetFloatPrecision));
}

}  // namespace

void RegisterDatasetClass(ClassRegistry& classes) {
  std::vector<PublishedProperty> properties;
  AddStatementProperties(properties);
  AddSettingProperties(properties);
  classes.Register(ClassOf<TMorvantaDataset, TComponent>(std::move(properties)));
}

}  // namespace morvanta
