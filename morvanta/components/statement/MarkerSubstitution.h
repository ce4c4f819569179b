#pragma once
// Writes values in place of the parameter markers of a statement text (a colon followed by a
// name), as the value binding and the statement trace do. A marker takes the longest name it
// begins with: names are tried in descending order without regard to case, so that a name comes
// before every name that is a prefix of it. The text is read once: written values are never
// searched for markers, and quoted text and comments are not told apart from the rest.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "morvanta/platform/core/SqlScanner.h"
#include "morvanta/platform/core/Text.h"

namespace morvanta {

struct MarkerSubstitutionOptions {
  enum class Uses {
    EveryMarker,  // every marker of a name takes that name's entry
    OneMarker,    // an entry takes one marker, the first of its name not yet taken; entries of
                  // one name take that name's markers in list order
  };
  enum class EmptyNames {
    MatchBareColon,  // an entry without a name takes a colon that no other name follows
    Ignored,         // an entry without a name takes no marker
  };
  Uses uses = Uses::EveryMarker;
  EmptyNames emptyNames = EmptyNames::MatchBareColon;
};

// Writes the replacement of the entry `index` (of the names given) at the end of `out`, which
// holds the rendered text up to the marker.
template <class Char>
using MarkerWriter = std::function<void(std::size_t index, SqlText<Char>& out)>;

// `text` with its markers replaced. Names match case-sensitively; their order (a stable sort,
// descending, comparing the code page 1252 texts without regard to case) decides which of several
// names a marker takes. A colon that takes no name stays.
template <class Char>
SqlText<Char> SubstituteMarkers(std::type_identity_t<std::basic_string_view<Char>> text,
                                const std::vector<SqlText<Char>>& names, MarkerSubstitutionOptions options,
                                const std::type_identity_t<MarkerWriter<Char>>& write);

}  // namespace morvanta
