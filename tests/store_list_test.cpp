// The store list of obsmerge-lojas: the columns it takes, the separators and encodings of the
// files spreadsheets write, and that every list it cannot use is refused naming the line.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "programs/obsmerge-lojas/StoreFileName.h"
#include "programs/obsmerge-lojas/StoreList.h"
#include "morvanta/platform/core/Text.h"

using namespace morvanta;

namespace {

std::vector<std::string> Listed(const std::vector<StoreEntry>& stores) {
  std::vector<std::string> out;
  for (const StoreEntry& s : stores)
    out.push_back(ToSystem(s.store) + "|" + ToSystem(s.database) + "|" + ToSystem(s.user) + "@" +
                  std::to_string(s.line));
  return out;
}

}  // namespace

TEST(StoreList, ReadsTheListsSpreadsheetsWrite) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"commas, English names", "store,database,user\nL1,/d/l1.fdb,LOJA\n", {"L1|/d/l1.fdb|LOJA@2"}},
      {"semicolons, Portuguese names, other columns, any order",
       "Cidade;USUARIO;Banco;Loja\r\nRecife;CAIXA;srv/3051:/d/a.fdb;Loja 1\r\n",
       {"Loja 1|srv/3051:/d/a.fdb|CAIXA@2"}},
      {"a byte-order mark, accents in UTF-8, blank lines",
       "\xEF\xBB\xBFloja;banco;usuário\n\nSão João;c:/lojas/sj.fdb;JOÃO\n\n",
       {"São João|c:/lojas/sj.fdb|JOÃO@3"}},
      {"code page 1252 when not UTF-8", "loja;banco;usuario\nS\xE3o Jo\xE3o;/d/sj.fdb;\n", {"São João|/d/sj.fdb|@2"}},
      {"quoted fields keep separators and quotes; blanks trimmed",
       "store,database,user\n\"Loja, Centro\" , \"host:/d/a \"\"x\"\".fdb\",U\n",
       {"Loja, Centro|host:/d/a \"x\".fdb|U@2"}},
      {"no user column: empty user", "store;database\nA;/a.fdb\n", {"A|/a.fdb|@2"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Listed(ParseStoreList(c.bytes)), c.expected) << c.what;
}

TEST(StoreList, EveryListItCannotUseIsRefusedNamingTheLine) {
  struct Case {
    std::string bytes;
    int line;
    const char* says;
  };
  const std::vector<Case> cases = {
      {"", 1, "cabeçalho"},
      {"\n\nstore,database\nA,/a\n", 1, "cabeçalho"},
      {"nome,caminho\nA,/a\n", 1, "store (loja)"},
      {"store,loja,database\nA,B,/a\n", 1, "coluna repetida"},
      {"store,database\n", 1, "nenhuma loja"},
      {"store,database,user\nA,/a,U\nB\n", 3, "esperadas 3 colunas, encontradas 1"},
      {"store,database\nA,/a\n,/b\n", 3, "sem nome"},
      {"store;database\nA;/a\nB; \n", 3, "B sem banco"},
      {"store,database\nA,/a\n\"B,/b\nC,/c\n", 3, "aspas sem fechamento"},
      {"store,database\n\"A\"x,/a\n", 2, "depois das aspas"},
      {"store,database\nA,/a\nB,/b\n\nA,/c\n", 5, "A repetida (já na linha 2)"},
  };
  for (const Case& c : cases) {
    try {
      ParseStoreList(c.bytes);
      ADD_FAILURE() << "accepted: " << c.bytes;
    } catch (const StoreListError& error) {
      EXPECT_EQ(error.Line(), c.line) << c.bytes;
      const std::string message = error.what();
      EXPECT_EQ(message.rfind("linha " + std::to_string(c.line) + ": ", 0), 0u) << message;
      EXPECT_NE(message.find(c.says), std::string::npos) << message;
    }
  }
}

TEST(StoreFileName, KeepsPlainNamesAndGivesEveryOtherNameASafeUniqueOne) {
  EXPECT_EQ(StoreFileName("loja-007_Centro.2"_a), "loja-007_Centro.2");
  std::vector<std::string> names;
  for (const AnsiString& store : {AnsiString("a/b"), AnsiString("a_b"), AnsiString("a b"), AnsiString(".."),
                                  AnsiString(""), "São"_a, "S?o"_a, AnsiString(200, 'x')}) {
    const std::string name = StoreFileName(store);
    EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_."),
              std::string::npos)
        << name;
    EXPECT_NE(name.front(), '.') << name;
    EXPECT_LE(name.size(), 100u);
    for (const std::string& other : names) EXPECT_NE(name, other);
    names.push_back(name);
  }
}
