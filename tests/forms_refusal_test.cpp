// Form files that cannot be loaded: each is refused with a message naming the file, the component
// and the property, and nothing of it stays built.

#include <gtest/gtest.h>

#include "morvanta/platform/formfiles/PropertyBuilders.h"
#include "tests/support/FormFiles.h"
#include "tests/support/TempFolder.h"

using namespace morvanta;

using namespace formtest;

namespace {

// A component that counts the live instances of its class.
class TCounted : public TComponent {
 public:
  explicit TCounted(TComponent* owner) : TComponent(owner) { ++live; }
  ~TCounted() override { --live; }
  static constexpr const char* kClassName = "TCounted";
  const char* ClassName() const override { return kClassName; }
  TCounted* Peer() const { return peer_; }
  void SetPeer(TCounted* peer) { peer_ = peer; }
  static inline int live = 0;

 private:
  TCounted* peer_ = nullptr;
};

ClassRegistry CountingClasses() {
  ClassRegistry classes = StandardClasses();
  classes.Register(ClassOf<TCounted, TComponent>(
      {published::Reference<TCounted, TCounted>("Peer", &TCounted::Peer, &TCounted::SetPeer)}));
  return classes;
}

std::string Dataset(const std::string& properties) { return Form(Component("TMorvantaDataset", "qry", properties)); }

}  // namespace

TEST(FormRefusal, SyntaxErrorsNameTheFileLineAndColumn) {
  AnsiString message = RefusalOf("{\n  \"Name\": \"frm\",\n  \"Components\": [,]\n}\n");
  EXPECT_EQ(message.rfind("test.form.json: line 3, column 18: syntax error", 0), 0u) << message;
  EXPECT_EQ(RefusalOf(R"({"Name": "frm", "Name": "x", "Components": []})"),
            "test.form.json: the key \"Name\" appears twice in one object");
  EXPECT_EQ(RefusalOf(R"(["frm"])"),
            "test.form.json: a form file holds one object with the form's Name and Components");
  EXPECT_EQ(RefusalOf(R"({"Name": "frm", "Components": [], "Caption": "x"})"),
            "test.form.json: unknown key \"Caption\"");
}

TEST(FormRefusal, ComponentsOfUnknownClassOrWithBadNamesAreRefused) {
  EXPECT_EQ(RefusalOf(Form(Component("TButton", "btnOk"))),
            "test.form.json: component \"btnOk\": unknown class \"TButton\"");
  EXPECT_EQ(RefusalOf(Form(Component("TComponent", "c"))),
            "test.form.json: component \"c\": unknown class \"TComponent\"");
  EXPECT_EQ(RefusalOf(Form(Component("TDataSource", "ds") + "," + Component("TDataSource", "DS"))),
            "test.form.json: component \"DS\": a component of that name already exists");
  EXPECT_EQ(RefusalOf(Form(Component("TDataSource", "1ds"))),
            "test.form.json: component #1: \"1ds\" is not a valid component name");
  EXPECT_EQ(RefusalOf(Form(R"({"Class": "TDataSource", "Name": "ds", "Events": {}})")),
            "test.form.json: component #1: unknown key \"Events\"");
}

TEST(FormRefusal, UnknownPropertiesAndValuesOfTheWrongKindAreRefused) {
  EXPECT_EQ(RefusalOf(Dataset(R"("Active": true)")),
            "test.form.json: component \"qry\", property \"Active\": unknown property of TMorvantaDataset");
  EXPECT_EQ(RefusalOf(Dataset(R"("PacoteRegistros": "1000")")),
            "test.form.json: component \"qry\", property \"PacoteRegistros\": an integer was expected");
  EXPECT_EQ(RefusalOf(Dataset(R"("PacoteRegistros": 1.5)")),
            "test.form.json: component \"qry\", property \"PacoteRegistros\": an integer was expected");
  EXPECT_EQ(RefusalOf(Dataset(R"("FloatPrecision": 256)")),
            "test.form.json: component \"qry\", property \"FloatPrecision\": the value is outside 0 to 255");
  EXPECT_EQ(RefusalOf(Dataset(R"("ManterCase": 1)")),
            "test.form.json: component \"qry\", property \"ManterCase\": a Boolean was expected");
  EXPECT_EQ(RefusalOf(Dataset(R"("MacroChar": "%%")")),
            "test.form.json: component \"qry\", property \"MacroChar\": a character (a text of one character) was "
            "expected");
  EXPECT_EQ(RefusalOf(Dataset(R"("SQL": "select 1")")),
            "test.form.json: component \"qry\", property \"SQL\": a string list was expected");
  EXPECT_EQ(RefusalOf(Dataset(R"("Text": "€ ≠")")),
            "test.form.json: component \"qry\", property \"Text\": the text holds characters outside code page 1252");
  EXPECT_EQ(RefusalOf(Dataset(R"("Params": [{"Name": "a", "DataType": "ftNumber", "ParamType": "ptInput"}])")),
            "test.form.json: component \"qry\", property \"Params\": parameter a: unknown data type ftNumber");
  EXPECT_EQ(RefusalOf(Dataset(R"("Database": 3)")),
            "test.form.json: component \"qry\", property \"Database\": a component name was expected");
}

TEST(FormRefusal, ReferencesToNoComponentOrToOneOfAnotherClassAreRefused) {
  EXPECT_EQ(RefusalOf(Dataset(R"("Database": "dbNada")")),
            "test.form.json: component \"qry\", property \"Database\": no component is named \"dbNada\"");
  EXPECT_EQ(RefusalOf(Form(Component("TMorvantaDataset", "qry", R"("DataSource": "qry2")") + "," +
                           Component("TMorvantaDataset", "qry2"))),
            "test.form.json: component \"qry\", property \"DataSource\": \"qry2\" is a TMorvantaDataset, not a "
            "TDataSource");
}

TEST(FormRefusal, NothingOfARefusedFormStaysBuilt) {
  ClassRegistry classes = CountingClasses();
  std::string two = Component("TCounted", "a", R"("Peer": "b")") + "," + Component("TCounted", "b", R"("Peer": "a")");
  auto form = Load(Form(two), classes);
  EXPECT_EQ(TCounted::live, 2);
  EXPECT_EQ(Find<TCounted>(*form, "a").Peer(), &Find<TCounted>(*form, "b")) << "references may form a cycle";
  form.reset();
  EXPECT_EQ(TCounted::live, 0);
  // Refused while creating, while setting a property, and while resolving references.
  RefusalOf(Form(two + "," + Component("TNada", "c")), classes);
  EXPECT_EQ(TCounted::live, 0);
  RefusalOf(Form(two + "," + Component("TCounted", "c", R"("Tag": false)")), classes);
  EXPECT_EQ(TCounted::live, 0);
  RefusalOf(Form(two + "," + Component("TCounted", "c", R"("Peer": "d")")), classes);
  EXPECT_EQ(TCounted::live, 0);
}

TEST(FormRefusal, AMissingFileIsRefusedByName) {
  TempFolder folder;
  try {
    TStoredForm::LoadFromFile(folder.File("nada.form.json"), Classes());
    FAIL() << "a missing file was loaded";
  } catch (const EReadError& error) {
    EXPECT_NE(error.Message().find("nada.form.json: the file cannot be read"), AnsiString::npos) << error.Message();
  }
}
