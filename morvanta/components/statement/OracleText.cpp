#include "morvanta/components/statement/OracleText.h"

namespace morvanta {

AnsiString OracleFetchedText(std::string_view text) { return ReplaceAll(text, "\n\n", "\r\n"); }

}  // namespace morvanta
