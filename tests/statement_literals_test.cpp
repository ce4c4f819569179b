#include <gtest/gtest.h>

#include "morvanta/platform/firebird/StatementLiterals.h"

using namespace morvanta;

using fb::ParameterizeLiterals;

TEST(StatementLiterals, KeysInApostrophesBecomeParametersAroundTheBoundOnes) {
  auto p = ParameterizeLiterals(
      "UPDATE FATOBSERVPEDIDO SET \r    OBS_TEMP = NULL, \r    OBS_OBSERV = ? \rWHERE \r    LJA_CODIGO = '1' AND "
      "\r    CPE_CODIGO = 'it''s' ");
  ASSERT_TRUE(p.Usable());
  EXPECT_EQ(p.text,
            "UPDATE FATOBSERVPEDIDO SET \r    OBS_TEMP = NULL, \r    OBS_OBSERV = ? \rWHERE \r    LJA_CODIGO = ? AND "
            "\r    CPE_CODIGO = ? ");
  EXPECT_EQ(p.markers, (std::vector<int>{-1, 0, 1}));
  EXPECT_EQ(p.literals, (std::vector<std::string>{"1", "it's"}));
}

TEST(StatementLiterals, CommentsIdentifiersAndEmptyLiteralsKeepTheirPlace) {
  auto p = ParameterizeLiterals("/* 'x' ? */ insert into \"T 'q'\" (A, B) values ('', '?') -- 'y'");
  ASSERT_TRUE(p.Usable());
  EXPECT_EQ(p.text, "/* 'x' ? */ insert into \"T 'q'\" (A, B) values (?, ?) -- 'y'");
  EXPECT_EQ(p.literals, (std::vector<std::string>{"", "?"}));
  EXPECT_EQ(p.markers, (std::vector<int>{0, 1}));
}

TEST(StatementLiterals, StatementsWhoseLiteralsMeanMoreStayAsTheyAre) {
  for (const char* sql :
       {"SELECT * FROM T WHERE A = '1'", "UPDATE T SET D = DATE '2007-01-05'", "UPDATE T SET A = _UTF8 'x'",
        "UPDATE T SET A = X'41'", "UPDATE T SET A = q'{x}'", "UPDATE T SET A = 1", "UPDATE T SET A = 'unterminated",
        "CREATE TABLE T (A CHAR(1) DEFAULT 'x')"})
    EXPECT_FALSE(ParameterizeLiterals(sql).Usable()) << sql;
}
