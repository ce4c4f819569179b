#include "morvanta/components/statement/MarkerSubstitution.h"

#include <algorithm>

namespace morvanta {

namespace {

AnsiString SortKey(std::string_view name) { return AnsiString(name); }
AnsiString SortKey(std::u16string_view name) { return ToAnsi(name); }

// The indices of the names, longest-match first.
template <class Char>
std::vector<std::size_t> TryOrder(const std::vector<SqlText<Char>>& names) {
  std::vector<AnsiString> keys;
  keys.reserve(names.size());
  for (const auto& name : names) keys.push_back(SortKey(std::basic_string_view<Char>(name)));
  std::vector<std::size_t> order(names.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return CompareText(keys[a], keys[b]) > 0; });
  return order;
}

}  // namespace

template <class Char>
SqlText<Char> SubstituteMarkers(std::type_identity_t<std::basic_string_view<Char>> text,
                                const std::vector<SqlText<Char>>& names, MarkerSubstitutionOptions options,
                                const std::type_identity_t<MarkerWriter<Char>>& write) {
  using Options = MarkerSubstitutionOptions;
  const std::vector<std::size_t> order = TryOrder<Char>(names);
  std::vector<bool> taken(names.size(), false);
  SqlText<Char> out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] != Char(':')) {
      out.push_back(text[i++]);
      continue;
    }
    const std::basic_string_view<Char> rest = text.substr(i + 1);
    const std::size_t* chosen = nullptr;
    for (const std::size_t& k : order) {
      const SqlText<Char>& name = names[k];
      if (options.uses == Options::Uses::OneMarker && taken[k]) continue;
      if (name.empty() && options.emptyNames == Options::EmptyNames::Ignored) continue;
      if (rest.substr(0, name.size()) != name) continue;
      chosen = &k;
      break;
    }
    if (!chosen) {
      out.push_back(text[i++]);
      continue;
    }
    taken[*chosen] = true;
    write(*chosen, out);
    i += 1 + names[*chosen].size();
  }
  return out;
}

template AnsiString SubstituteMarkers<char>(std::string_view, const std::vector<AnsiString>&, MarkerSubstitutionOptions,
                                            const MarkerWriter<char>&);
template WideString SubstituteMarkers<char16_t>(std::u16string_view, const std::vector<WideString>&,
                                                MarkerSubstitutionOptions, const MarkerWriter<char16_t>&);

}  // namespace morvanta
