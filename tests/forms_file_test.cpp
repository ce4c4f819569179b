// Form files: saving what was loaded, the declared order and the rules of what a form stores.

#include <gtest/gtest.h>

#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "tests/support/FormFiles.h"
#include "tests/support/TempFolder.h"

using namespace morvanta;

using namespace formtest;

namespace {

// The keys of one component's "Properties" in the saved text, in their order.
std::vector<std::string> SavedKeys(const std::string& saved, const std::string& componentName) {
  std::vector<std::string> keys;
  std::size_t at = saved.find("\"Name\": \"" + componentName + "\"");
  std::size_t end = saved.find("\n      }", at);
  for (std::size_t line = saved.find("\n        \"", at); line < end; line = saved.find("\n        \"", line + 1)) {
    std::size_t start = line + 10;
    keys.push_back(saved.substr(start, saved.find('"', start) - start));
  }
  return keys;
}

TComponent& Create(TStoredForm& form, const char* className, const char* name) {
  TComponent* component = form.Classes().Find(className)->create(&form);
  component->SetName(AnsiString(name));
  return *component;
}

}  // namespace

TEST(FormFile, TheSampleFormSavesBackToItsOwnBytesRunningAndDesigning) {
  std::string text = ReadFile(SampleFormPath());
  ASSERT_FALSE(text.empty());
  auto form = Load(text);
  EXPECT_EQ(form->SaveToText(), text);
  form->SetFormState(FormState::Designing);
  EXPECT_EQ(form->SaveToText(), text);

  TempFolder folder;
  form->SaveToFile(folder.File("saved.form.json"));
  EXPECT_EQ(ReadFile(folder.File("saved.form.json")), text);
  EXPECT_EQ(TStoredForm::LoadFromFile(folder.File("saved.form.json"), Classes())->SaveToText(), text);
}

TEST(FormFile, PropertiesAreSavedInDeclaredOrderWhateverTheOrderOfTheFile) {
  auto form =
      Load(Form(Component("TMorvantaDataset", "qry", R"(
      "FloatPrecision": 3, "IgnoreLog": true, "SQL": ["select 1 from rdb$database"], "Tag": 4,
      "MacroChar": "^", "ManterCase": true, "PacoteRegistros": 50, "GeneratorField": "G -> ID")") +
                "," + Component("TMorvantaDatabase", "db", R"("PermiteAlterar": false, "ConnectionName": "X")")));
  std::string saved = form->SaveToText();
  EXPECT_EQ(
      SavedKeys(saved, "qry"),
      (std::vector<std::string>{"Tag", "PacoteRegistros", "SQL", "ManterCase", "MacroChar", "SQLInterno",
                                "GeneratorField", "GeneratorField_Edit", "CachedUpdates", "Text", "IgnorarErro",
                                "PermiteApostrofo", "InternalInsert", "IsControleLog", "IgnoreLog", "FloatPrecision"}));
  EXPECT_EQ(SavedKeys(saved, "db"),
            (std::vector<std::string>{"ConnectionName", "ID", "QueryLocal", "PermiteConsultar", "PermiteExcluir",
                                      "PermiteInserir", "PermiteAlterar", "PermiteMovimentar"}));
  saved = Load(saved)->SaveToText();
  EXPECT_EQ(Load(saved)->SaveToText(), saved);
}

TEST(FormFile, DefaultsEmptyValuesAndUnsetReferencesAreLeftOutOtherBooleansAndNumbersWritten) {
  TStoredForm form(Classes());
  form.SetName("frm");
  Create(form, "TMorvantaDataset", "qry");
  auto& db = static_cast<TMorvantaDatabase&>(Create(form, "TMorvantaDatabase", "db"));
  db.SetID(77);
  std::string saved = form.SaveToText();
  EXPECT_EQ(SavedKeys(saved, "qry"), (std::vector<std::string>{"PacoteRegistros", "MacroChar", "GeneratorField_Edit",
                                                               "CachedUpdates", "IgnorarErro", "PermiteApostrofo",
                                                               "InternalInsert", "IsControleLog", "FloatPrecision"}));
  EXPECT_NE(saved.find("\"GeneratorField_Edit\": false"), std::string::npos);
  // LoginPrompt true, KeepConnection true, LoadParamsOnConnect and Connected false: the defaults.
  EXPECT_EQ(SavedKeys(saved, "db"),
            (std::vector<std::string>{"ID", "QueryLocal", "PermiteConsultar", "PermiteExcluir", "PermiteInserir",
                                      "PermiteAlterar", "PermiteMovimentar"}));
  EXPECT_EQ(saved.back(), '\n');
  EXPECT_EQ(saved.find('\t'), std::string::npos);
}

TEST(FormFile, ParameterValuesOfEveryKindAndAccentedTextsComeBackAsSaved) {
  std::string text = Form(Component("TMorvantaDataset", "qry", R"(
      "SQL": ["select * from t where a = :a and b = :b and c = :c and d = :d and e = :e and f = :f"],
      "Params": [
        {"Name": "a", "DataType": "ftInteger", "ParamType": "ptInput", "Value": -12},
        {"Name": "b", "DataType": "ftFloat", "ParamType": "ptInput", "Value": 2.5},
        {"Name": "c", "DataType": "ftString", "ParamType": "ptInput", "Value": "Ação €"},
        {"Name": "d", "DataType": "ftBoolean", "ParamType": "ptInput", "Value": true},
        {"Name": "e", "DataType": "ftDateTime", "ParamType": "ptInput", "Value": {"DateTime": "2026-12-09 10:20:30.400"}},
        {"Name": "f", "DataType": "ftDate", "ParamType": "ptOutput"}],
      "DefaultValue_String": "sem observação")"));
  auto form = Load(text);
  auto& qry = Find<TMorvantaDataset>(*form, "qry");
  EXPECT_EQ(qry.ParamByName("a").AsInteger(), -12);
  EXPECT_EQ(qry.ParamByName("b").AsFloat(), 2.5);
  EXPECT_EQ(qry.ParamByName("c").AsString(), "Ação €"_a);
  EXPECT_EQ(qry.ParamByName("c").DataType(), ftString);
  EXPECT_TRUE(qry.ParamByName("d").Value().AsBoolean());
  EXPECT_EQ(qry.ParamByName("e").AsDateTime(), EncodeDateTime(2026, 12, 9, 10, 20, 30, 400));
  EXPECT_TRUE(qry.ParamByName("f").IsNull());
  EXPECT_EQ(qry.ParamByName("f").ParamType(), ptOutput);
  EXPECT_EQ(qry.DefaultValue_String(), "sem observação"_a);

  // One save makes the file canonical: SQLInterno is stored case-folded, as loading folds it.
  std::string saved = form->SaveToText();
  EXPECT_NE(saved.find("\"Ação €\""), std::string::npos) << "texts are stored as UTF-8";
  EXPECT_EQ(Load(saved)->SaveToText(), saved);
}

TEST(FormFile, AHandWrittenFormIsCanonicalAfterOneSaveInEitherState) {
  for (const char* settings :
       {R"("SQL": ["select * from t where a = :a"])", R"("SQL": ["select * from t where a = :a"], "ManterCase": true)",
        R"("SQL": ["select %campos from t"])"}) {
    for (FormState state : {FormState::Running, FormState::Designing}) {
      auto form = Load(Form(Component("TMorvantaDataset", "qry", settings)));
      form->SetFormState(state);
      const std::string saved = form->SaveToText();
      auto again = Load(saved);
      again->SetFormState(state);
      EXPECT_EQ(again->SaveToText(), saved) << settings;
    }
  }
}

// A form file names a saved component by the name it reports and finds the class to create by
// that name when it is loaded, so the two must agree for every registered class, and a reference
// property must accept the class it names.
TEST(FormFile, EveryRegisteredClassIsNamedAsItsObjectsNameThemselves) {
  ClassRegistry classes = StandardClasses();
  std::vector<std::string> created;
  for (const ComponentClass* componentClass : classes.Classes()) {
    if (!componentClass->create) continue;
    std::unique_ptr<TComponent> component(componentClass->create(nullptr));
    EXPECT_STREQ(component->ClassName(), componentClass->name.c_str());
    created.push_back(componentClass->name);
    for (const PublishedProperty* property : classes.PropertiesOf(*componentClass)) {
      const ComponentClass* target = classes.Find(property->referenceClass);
      if (property->kind != PropertyKind::ComponentReference || !target || !target->create) continue;
      std::unique_ptr<TComponent> referenced(target->create(nullptr));
      EXPECT_TRUE(property->accepts(*referenced)) << componentClass->name << "." << property->name;
    }
  }
  EXPECT_EQ(created, (std::vector<std::string>{"TDataSource", "TMorvantaDatabase", "TMorvantaDataset",
                                               "TMorvantaStoredProc", "TMorvantaTransaction", "TMorvantaUpDateObject",
                                               "TSQLConnection", "TSQLStoredProc", "TUpdateSQL"}));
}
