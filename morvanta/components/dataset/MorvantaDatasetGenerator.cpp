// The key of a new row from a database generator (InterBase, Firebird) or sequence (Oracle),
// read the moment the row is inserted.

#include <cstdint>
#include <limits>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"

namespace morvanta {

namespace {

struct GeneratorSetting {
  AnsiString generatorName;
  AnsiString fieldName;
};

// "GENERATOR -> FIELD": split at the first arrow, blanks and control characters around each name
// dropped. Without an arrow the generator name is empty, and the statement fails at the database.
GeneratorSetting SplitGeneratorField(const AnsiString& setting) {
  const std::size_t arrow = setting.find("->");
  if (arrow == AnsiString::npos) return {};
  return {Trim(std::string_view(setting).substr(0, arrow)), Trim(std::string_view(setting).substr(arrow + 2))};
}

AnsiString GeneratorStatement(DatabaseKind kind, const AnsiString& generatorName) {
  if (kind == DatabaseKind::Oracle) return "select " + generatorName + ".nextval cod_gen from dual";
  return "select gen_id(" + generatorName + ",1) cod_gen from rdb$database";
}

// Whether an integer field of the given type can hold the value unchanged; fields of other types
// convert the value themselves.
bool FitsField(std::int64_t value, TFieldType type) {
  auto within = [value](std::int64_t low, std::int64_t high) { return value >= low && value <= high; };
  switch (type) {
    case ftSmallint:
      return within(std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max());
    case ftWord:
      return within(0, std::numeric_limits<std::uint16_t>::max());
    case ftInteger:
    case ftAutoInc:
      return within(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    default:
      return true;
  }
}

}  // namespace

void TMorvantaDataset::FetchGeneratorValue() {
  if (Trim(generatorField_).empty()) return;
  const GeneratorSetting setting = SplitGeneratorField(generatorField_);
  LoadInternalQuery(GeneratorStatement(Kind(), setting.generatorName));
  InternalQuery->Open();  // stays open on the generator's row until the next statement
  // Read whole: a value past the key field's range must not arrive wrapped as another key.
  const std::int64_t value = InternalQuery->FieldByName(u"COD_GEN").AsInteger();
  if (setting.fieldName.empty() || value == 0) return;
  TField* field = FindField(std::string_view(setting.fieldName));
  if (!field) return;
  if (!FitsField(value, field->DataType()))
    throw Exception("Valor do gerador " + setting.generatorName + " (" + IntToStr(value) + ") não cabe no campo "_a +
                    setting.fieldName + ".");
  field->SetAsInteger(value);
}

}  // namespace morvanta
