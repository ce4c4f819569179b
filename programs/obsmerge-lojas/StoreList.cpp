#include "programs/obsmerge-lojas/StoreList.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

using namespace morvanta;

namespace {

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
    if (extra < 0 || (extra == 1 && lead < 0xC2) || i + static_cast<std::size_t>(extra) >= bytes.size()) return false;
    for (int k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(bytes[i + k]) >> 6) != 2) return false;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

// The text of the file in code page 1252.
AnsiString DecodeList(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return FromSystem(bytes.substr(3));
  if (IsValidUtf8(bytes)) return FromSystem(bytes);
  return AnsiString(bytes);  // code page 1252 already
}

std::vector<std::string> SplitLines(const AnsiString& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// The fields of one line; quoted fields may hold the separator and doubled quotes.
std::vector<AnsiString> SplitFields(const std::string& line, char separator, int lineNumber) {
  std::vector<AnsiString> fields(1);
  bool quoted = false, wasQuoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"') fields.back() += c;
      else if (i + 1 < line.size() && line[i + 1] == '"') fields.back() += line[++i];
      else quoted = false;
    } else if (c == separator) {
      fields.emplace_back();
      wasQuoted = false;
    } else if (c == '"' && !wasQuoted && Trim(fields.back()).empty()) {
      fields.back().clear();
      quoted = wasQuoted = true;
    } else if (wasQuoted && c != ' ' && c != '\t') {
      throw StoreListError(lineNumber, "texto depois das aspas de fechamento");
    } else if (!wasQuoted) {
      fields.back() += c;
    }
  }
  if (quoted) throw StoreListError(lineNumber, "aspas sem fechamento");
  for (AnsiString& field : fields) field = Trim(field);
  return fields;
}

// The separator is the one of the two the header uses more often outside quotes.
char SeparatorOf(const std::string& header) {
  int commas = 0, semicolons = 0;
  bool quoted = false;
  for (char c : header) {
    if (c == '"') quoted = !quoted;
    else if (!quoted && c == ',') ++commas;
    else if (!quoted && c == ';') ++semicolons;
  }
  return semicolons > commas ? ';' : ',';
}

struct Columns {
  int store = -1, database = -1, user = -1;
  int Needed() const { return std::max({store, database, user}) + 1; }
};

Columns ReadHeader(const std::vector<AnsiString>& names) {
  Columns columns;
  const std::map<AnsiString, int Columns::*> known{{"store"_a, &Columns::store},       {"loja"_a, &Columns::store},
                                                   {"database"_a, &Columns::database}, {"banco"_a, &Columns::database},
                                                   {"user"_a, &Columns::user},         {"usuario"_a, &Columns::user},
                                                   {"usuário"_a, &Columns::user}};
  for (int i = 0; i < static_cast<int>(names.size()); ++i) {
    const auto found = known.find(AnsiLowerCase(names[static_cast<std::size_t>(i)]));
    if (found == known.end()) continue;
    if (columns.*found->second >= 0) throw StoreListError(1, "coluna repetida: " + ToSystem(names[i]));
    columns.*found->second = i;
  }
  if (columns.store < 0 || columns.database < 0)
    throw StoreListError(1,
                         "o cabeçalho precisa das colunas store (loja) e database (banco), e pode ter user (usuario)");
  return columns;
}

StoreEntry ReadEntry(const std::vector<AnsiString>& fields, const Columns& columns, int lineNumber) {
  if (static_cast<int>(fields.size()) < columns.Needed())
    throw StoreListError(lineNumber, "esperadas " + std::to_string(columns.Needed()) + " colunas, encontradas " +
                                         std::to_string(fields.size()));
  StoreEntry entry;
  entry.store = fields[static_cast<std::size_t>(columns.store)];
  entry.database = fields[static_cast<std::size_t>(columns.database)];
  if (columns.user >= 0) entry.user = fields[static_cast<std::size_t>(columns.user)];
  entry.line = lineNumber;
  if (entry.store.empty()) throw StoreListError(lineNumber, "loja sem nome");
  if (entry.database.empty()) throw StoreListError(lineNumber, "loja " + ToSystem(entry.store) + " sem banco");
  return entry;
}

bool Blank(const std::string& line) { return Trim(line).empty(); }

}  // namespace

std::vector<StoreEntry> ParseStoreList(const std::string& bytes) {
  const std::vector<std::string> lines = SplitLines(DecodeList(bytes));
  std::size_t first = 0;
  while (first < lines.size() && Blank(lines[first])) ++first;
  if (first == lines.size()) throw StoreListError(1, "lista vazia: falta o cabeçalho");
  if (first != 0) throw StoreListError(1, "a primeira linha deve ser o cabeçalho");
  const char separator = SeparatorOf(lines[0]);
  const Columns columns = ReadHeader(SplitFields(lines[0], separator, 1));
  std::vector<StoreEntry> stores;
  std::map<AnsiString, int> listedAt;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const int lineNumber = static_cast<int>(i) + 1;
    if (Blank(lines[i])) continue;
    StoreEntry entry = ReadEntry(SplitFields(lines[i], separator, lineNumber), columns, lineNumber);
    const auto [where, added] = listedAt.emplace(entry.store, lineNumber);
    if (!added)
      throw StoreListError(lineNumber, "loja " + ToSystem(entry.store) + " repetida (já na linha " +
                                           std::to_string(where->second) + ")");
    stores.push_back(std::move(entry));
  }
  if (stores.empty()) throw StoreListError(1, "nenhuma loja na lista, só o cabeçalho");
  return stores;
}

std::vector<StoreEntry> ReadStoreList(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw StoreListError(0, "não foi possível ler " + path);
  return ParseStoreList(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}
