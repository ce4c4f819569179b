// Fields of the record set: lookup, values in each storage kind, conversions, old and new values.

#include <gtest/gtest.h>

#include "morvanta/platform/framework/DataSet.h"
#include "morvanta/platform/core/Exceptions.h"

using namespace morvanta;

namespace {

class DataSetFields : public ::testing::Test {
 protected:
  void SetUp() override {
    ds.FieldDefs().Add(u"Codigo", ftInteger);
    ds.FieldDefs().Add(u"Nome", ftString, 40);
    ds.FieldDefs().Add(u"Valor", ftFloat);
    ds.FieldDefs().Add(u"Data", ftDateTime);
    ds.FieldDefs().Add(u"Ativo", ftBoolean);
    ds.FieldDefs().Add(u"Foto", ftBlob);
    ds.CreateDataSet();
  }
  TClientDataSet ds{nullptr};
};

}  // namespace

TEST_F(DataSetFields, LookupByNameIgnoresCase) {
  EXPECT_EQ(&ds.FieldByName("CODIGO"), &ds.Fields(0));
  EXPECT_EQ(&ds.FieldByName(u"nome"), &ds.Fields(1));
  EXPECT_EQ(ds.FindField("valor"), &ds.Fields(2));
  EXPECT_EQ(ds.FindField("missing"), nullptr);
  try {
    ds.FieldByName("Missing");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'Missing' not found");
  }
  const TField& f = ds.Fields(1);
  EXPECT_EQ(f.FieldName(), u"Nome");
  EXPECT_EQ(f.DataType(), ftString);
  EXPECT_EQ(f.Size(), 40);
  EXPECT_EQ(f.Index(), 1);
  EXPECT_FALSE(f.Required());
}

TEST_F(DataSetFields, ValuesKeepTheirTypeAcrossPostAndRead) {
  const TDateTime when = EncodeDateTime(2024, 2, 29, 13, 45, 10, 0);
  ds.Append();
  ds.Fields(0).SetAsInteger(9'000'000'000LL);
  ds.Fields(1).SetAsString(AnsiString(std::string_view("Jo\xe3o")));
  ds.Fields(2).SetAsFloat(12.5);
  ds.Fields(3).SetAsDateTime(when);
  ds.Fields(4).SetAsBoolean(true);
  ds.Post();
  ds.First();
  EXPECT_EQ(ds.Fields(0).AsInteger(), 9'000'000'000LL);
  EXPECT_EQ(ds.Fields(0).AsString(), "9000000000");
  EXPECT_EQ(ds.Fields(1).AsString(), "Jo\xe3o");
  EXPECT_DOUBLE_EQ(ds.Fields(2).AsFloat(), 12.5);
  EXPECT_EQ(ds.Fields(2).AsInteger(), 13);
  EXPECT_DOUBLE_EQ(ds.Fields(3).AsDateTime(), when);
  EXPECT_EQ(ds.Fields(3).AsString(), "29/02/2024 13:45:10");
  EXPECT_TRUE(ds.Fields(4).AsBoolean());
  EXPECT_EQ(ds.Fields(4).AsString(), "True");
  EXPECT_TRUE(ds.Fields(5).IsNull());
  EXPECT_EQ(ds.Fields(5).AsString(), "");

  EXPECT_EQ(ds.Fields(0).Value().GetKind(), TVariant::Kind::Integer);
  EXPECT_EQ(ds.Fields(2).Value().GetKind(), TVariant::Kind::Float);
  EXPECT_EQ(ds.Fields(3).Value().GetKind(), TVariant::Kind::DateTime);
  EXPECT_EQ(ds.Fields(4).Value().GetKind(), TVariant::Kind::Boolean);
  EXPECT_TRUE(ds.Fields(5).Value().IsNull());
}

TEST_F(DataSetFields, TextIsConvertedIntoTheFieldsType) {
  ds.Append();
  ds.Fields(0).SetAsString(" 42 ");
  ds.Fields(2).SetValue(TVariant("3.25"));
  ds.Fields(3).SetAsString("01/12/2023 08:30");
  ds.Fields(4).SetAsString("false");
  EXPECT_EQ(ds.Fields(0).AsInteger(), 42);
  EXPECT_DOUBLE_EQ(ds.Fields(2).AsFloat(), 3.25);
  EXPECT_DOUBLE_EQ(ds.Fields(3).AsDateTime(), EncodeDateTime(2023, 12, 1, 8, 30, 0, 0));
  EXPECT_FALSE(ds.Fields(4).AsBoolean());
  EXPECT_FALSE(ds.Fields(4).IsNull());

  ds.Fields(0).SetAsString("");
  EXPECT_TRUE(ds.Fields(0).IsNull()) << "an empty text clears a number";
  EXPECT_THROW(ds.Fields(0).SetAsString("12abc"), EConvertError);
  EXPECT_THROW(ds.Fields(2).SetAsString("x"), EConvertError);
  EXPECT_THROW(ds.Fields(3).SetAsString("31/02/2023"), EConvertError);
  EXPECT_THROW(ds.Fields(4).SetAsString("maybe"), EConvertError);
  ds.Fields(1).SetAsString("abc");
  EXPECT_THROW(ds.Fields(1).AsInteger(), EConvertError);
  ds.Fields(1).SetAsInteger(17);
  EXPECT_EQ(ds.Fields(1).AsString(), "17");
  ds.Fields(1).SetValue(TVariant::Null());
  EXPECT_TRUE(ds.Fields(1).IsNull());
}

TEST_F(DataSetFields, TextKeepsEveryByteValue) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  bytes += bytes;
  ds.Append();
  ds.Fields(5).SetAsString(AnsiString(bytes));
  ds.Fields(1).SetAsString(AnsiString(std::string("a\0b\x80\xff", 5)));
  ds.Post();
  ds.Append();
  ds.Fields(1).SetAsString("");
  ds.Post();
  ds.First();
  EXPECT_EQ(ds.Fields(5).AsString(), bytes);
  EXPECT_EQ(ds.Fields(5).AsStringView().size(), 512u);
  EXPECT_EQ(ds.Fields(1).AsString(), std::string("a\0b\x80\xff", 5));
  ds.Next();
  EXPECT_FALSE(ds.Fields(1).IsNull()) << "an empty text is not null";
  EXPECT_TRUE(ds.Fields(5).IsNull());
}

TEST_F(DataSetFields, OldValueIsThePostedValueDuringAnEdit) {
  ds.Append();
  EXPECT_TRUE(ds.Fields(1).OldValue().IsNull()) << "a new record has no old value";
  ds.Fields(1).SetAsString("first");
  EXPECT_EQ(ds.Fields(1).NewValue().AsString(), "first");
  ds.Post();
  ds.Edit();
  ds.Fields(1).SetAsString("second");
  EXPECT_EQ(ds.Fields(1).OldValue().AsString(), "first");
  EXPECT_EQ(ds.Fields(1).NewValue().AsString(), "second");
  EXPECT_EQ(ds.Fields(1).AsString(), "second");
  ds.Cancel();
  EXPECT_EQ(ds.Fields(1).AsString(), "first");
  ds.Edit();
  ds.Fields(1).SetAsString("third");
  ds.Post();
  EXPECT_EQ(ds.Fields(1).OldValue().AsString(), "third");
}

TEST_F(DataSetFields, EditedRowsOfEveryLengthSurviveManyRewrites) {
  // Rewrites that grow, shrink and delete rows make the storage reclaim old slices.
  for (int i = 0; i < 200; ++i) {
    ds.Append();
    ds.Fields(0).SetAsInteger(i);
    ds.Fields(1).SetAsString(AnsiString(static_cast<std::size_t>(i), 'a'));
    ds.Post();
  }
  for (int round = 0; round < 30; ++round) {
    for (ds.First(); !ds.Eof(); ds.Next()) {
      ds.Edit();
      const std::int64_t id = ds.Fields(0).AsInteger();
      ds.Fields(1).SetAsString(AnsiString(static_cast<std::size_t>((id * 37 + round * 1000) % 4000), 'b'));
      ds.Fields(5).SetAsString(AnsiString(static_cast<std::size_t>(round * 100), 'c'));
      ds.Post();
    }
    ds.First();
    ds.Delete();
  }
  EXPECT_EQ(ds.RecordCount(), 170);
  int expectedId = 30;
  for (ds.First(); !ds.Eof(); ds.Next(), ++expectedId) {
    ASSERT_EQ(ds.Fields(0).AsInteger(), expectedId);
    EXPECT_EQ(ds.Fields(1).AsString(), std::string(static_cast<std::size_t>((expectedId * 37 + 29000) % 4000), 'b'));
    EXPECT_EQ(ds.Fields(5).AsStringView().size(), 2900u);
  }
}
