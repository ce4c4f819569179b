#include "programs/obsmerge-lojas/TextCell.h"

#include <algorithm>

using namespace morvanta;

std::string TextCell(const AnsiString& text, std::size_t width) {
  // One code page 1252 byte is one character on the terminal.
  const AnsiString cut = text.size() > width && width > 3 ? text.substr(0, width - 3) + "..." : text;
  return ToSystem(cut) + std::string(width - std::min(width, cut.size()), ' ');
}
