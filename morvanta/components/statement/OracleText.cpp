#include "morvanta/components/statement/OracleText.h"

AnsiString OracleFetchedText(std::string_view text) { return ReplaceAll(text, "\n\n", "\r\n"); }
