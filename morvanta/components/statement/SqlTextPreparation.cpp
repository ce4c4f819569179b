#include "morvanta/components/statement/SqlTextPreparation.h"

#include <unordered_map>
#include <utility>
#include <vector>

namespace morvanta {

namespace {

// Finds the first entry of a parameter list by name, ignoring case, as TParams::FindParam does,
// without walking the whole list for every look-up (a statement may reference hundreds of names).
// Names are compared as TParams compares them: same wide length, same code page 1252 text up to
// case.
class NameIndex {
 public:
  explicit NameIndex(const TParams& params) {
    for (int i = 0; i < params.Count(); ++i) Add(params[i].Name(), i);
  }

  // The index of the first entry of that name, or -1.
  int Find(std::u16string_view name) const {
    AnsiString key;
    return KeyOf(name, key) ? FindKey(key) : -1;
  }

  // The same for a name given in code page 1252, by its key (AnsiUpperCase of the name).
  int FindKey(const AnsiString& key) const {
    auto hit = first_.find(key);
    return hit == first_.end() ? -1 : hit->second;
  }

  // Records an entry; an earlier entry of the same name keeps its place.
  void Add(std::u16string_view name, int index) {
    AnsiString key;
    if (KeyOf(name, key)) AddKey(std::move(key), index);
  }
  void AddKey(AnsiString key, int index) { first_.emplace(std::move(key), index); }

 private:
  // A name holding a surrogate pair never equals a name of the same wide length without one, so
  // such names are left out of the index (and can be found by nothing but themselves, which the
  // callers never look for).
  static bool KeyOf(std::u16string_view name, AnsiString& key) {
    key = ToAnsi(name);
    if (key.size() != name.size()) return false;
    key = AnsiUpperCase(key);
    return true;
  }

  std::unordered_map<AnsiString, int, AnsiStringHash> first_;
};

// Replaces every occurrence of `from` in `text`, comparing letters without regard to case; the
// replaced text is not searched again.
AnsiString ReplaceAllIgnoreCase(const AnsiString& text, std::string_view from, std::string_view to) {
  if (from.empty()) return text;
  const AnsiString upperText = AnsiUpperCase(text);
  const AnsiString upperFrom = AnsiUpperCase(from);
  AnsiString out;
  std::size_t pos = 0;
  while (true) {
    std::size_t hit = upperText.find(upperFrom, pos);
    if (hit == AnsiString::npos) break;
    out.append(text, pos, hit - pos);
    out.AppendBytes(to);
    pos = hit + from.size();
  }
  if (pos == 0) return text;
  out.append(text, pos, AnsiString::npos);
  return out;
}

}  // namespace

void ScanMacros(const AnsiString& sqlInterno, char macroChar, TParams& macros) {
  std::vector<std::pair<WideString, AnsiString>> remembered;
  remembered.reserve(static_cast<std::size_t>(macros.Count()));
  for (int i = 0; i < macros.Count(); ++i) remembered.emplace_back(macros[i].Name(), macros[i].AsString());

  NameIndex index(macros);
  for (std::size_t pos = 0; pos < sqlInterno.size(); ++pos) {
    if (sqlInterno[pos] != macroChar) continue;
    // The name runs to the first blank; a carriage return counts as one. A MacroChar inside the
    // name is not skipped: the walk goes on with the next character and starts another name there.
    std::size_t end = sqlInterno.find_first_of(" \r", pos + 1);
    if (end == AnsiString::npos) end = sqlInterno.size();
    const AnsiString name = Trim(std::string_view(sqlInterno).substr(pos + 1, end - pos - 1));
    AnsiString key = AnsiUpperCase(name);
    int found = index.FindKey(key);
    if (found < 0) {
      macros.CreateParam(ftUnknown, ToWide(name), ptInput);
      found = macros.Count() - 1;
      index.AddKey(std::move(key), found);
    }
    macros[found].SetAsString(AnsiString());
  }

  // Entries that existed before get their values back, matched on the exact trimmed name.
  if (remembered.empty()) return;
  std::unordered_map<WideString, std::vector<int>> byTrimmedName;
  for (int i = 0; i < macros.Count(); ++i) byTrimmedName[Trim(std::u16string_view(macros[i].Name()))].push_back(i);
  for (const auto& [name, value] : remembered) {
    auto hit = byTrimmedName.find(Trim(std::u16string_view(name)));
    if (hit == byTrimmedName.end()) continue;
    for (int i : hit->second) macros[i].SetAsString(Trim(value));
  }
}

AnsiString ExpandMacroReferences(const AnsiString& sqlInterno, char macroChar, const TParams& macros) {
  AnsiString text = sqlInterno;
  for (int i = 0; i < macros.Count(); ++i) {
    // A reference longer than the text cannot occur (a surrogate pair becomes one character).
    if ((macros[i].Name().size() + 1) / 2 + 1 > text.size()) continue;
    AnsiString reference(1, macroChar);
    reference += ToAnsi(macros[i].Name());
    text = ReplaceAllIgnoreCase(text, reference, macros[i].AsString());
  }
  return text;
}

int FindPlanClause(std::string_view text) {
  static constexpr std::string_view kMarkers[] = {"PLAN (", "PLAN(", "PLAN JOIN(", "PLAN JOIN ("};
  for (std::string_view marker : kMarkers) {
    std::size_t pos = text.find(marker);
    if (pos != std::string_view::npos) return static_cast<int>(pos) + 1;
  }
  return 0;
}

AnsiString CutPlanClauses(AnsiString text) {
  // Every pass removes at least the marker itself, so the loop ends.
  while (int start = FindPlanClause(text)) {
    const std::size_t first = static_cast<std::size_t>(start - 1);
    std::size_t end = AnsiString::npos;
    std::size_t lastClose = AnsiString::npos;
    bool afterClose = false;
    for (std::size_t i = first; i < text.size(); ++i) {
      if (text[i] == '(') {
        afterClose = false;
      } else if (text[i] == ')') {
        if (afterClose) {
          end = i;
          break;
        }
        lastClose = i;
        afterClose = true;
      }
    }
    if (end == AnsiString::npos) end = lastClose;
    if (end == AnsiString::npos) break;  // no closing parenthesis: the marker stays
    text.erase(first, end - first + 1);
  }
  return text;
}

AnsiString ExtractTableName(const AnsiString& operation, std::string_view statement) {
  std::string_view keyword;
  if (operation == "E") keyword = "FROM";
  else if (operation == "I") keyword = "INSERT INTO";
  else if (operation == "A") keyword = "UPDATE";
  else return AnsiString();

  const AnsiString upper = AnsiUpperCase(statement);
  const std::size_t pos = upper.find(keyword);
  if (pos == AnsiString::npos) return AnsiString();

  AnsiString name = Trim(std::string_view(upper).substr(pos + keyword.size()));
  for (char delimiter : {' ', '\n', '\r'}) {
    std::size_t cut = name.find(delimiter);
    if (cut != AnsiString::npos) name = Trim(std::string_view(name).substr(0, cut));
  }
  return name;
}

void RebuildParamsFromText(TParams& params, std::u16string_view text) {
  TParams rebuilt;
  rebuilt.ParseSQL(text, true);

  const NameIndex current(params);
  NameIndex seen(rebuilt);  // the first entry of each name in the new list
  for (int i = 0; i < rebuilt.Count(); ++i) {
    TParam& entry = rebuilt[i];
    if (seen.Find(entry.Name()) != i) continue;
    int from = current.Find(entry.Name());
    if (from >= 0) entry.Assign(params[from]);
  }

  params.Clear();
  params.Assign(rebuilt);
}

}  // namespace morvanta
