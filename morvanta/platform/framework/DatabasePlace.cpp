#include "morvanta/platform/framework/DatabasePlace.h"

#include <algorithm>
#include <cctype>

namespace morvanta {

namespace {

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The host at the start of `text`: an IPv6 address in brackets, or everything up to one of `ends`.
std::string LeadingHost(const std::string& text, const char* ends) {
  if (text.rfind('[', 0) == 0) {
    const std::size_t close = text.find(']');
    return close == std::string::npos ? "" : text.substr(0, close + 1);
  }
  return text.substr(0, text.find_first_of(ends));
}

// The host of a server name, or empty for a file of this machine.
std::string HostOf(const std::string& database) {
  const std::string inet = "inet://";
  if (Lowered(database.substr(0, inet.size())) == inet) return LeadingHost(database.substr(inet.size()), ":/");
  const std::string host = LeadingHost(database, ":/");
  const std::size_t afterHost = host.size();
  const std::size_t colon = database.find(':', afterHost);
  if (host.empty() || colon == std::string::npos) return "";  // a path or an alias
  if (database[afterHost] == '/' && database.find_first_not_of("0123456789", afterHost + 1) != colon) return "";
  if (host.size() == 1 && colon == 1 && std::isalpha(static_cast<unsigned char>(host[0]))) return "";  // a drive
  return host;
}

bool IsThisMachine(const std::string& host) {
  const std::string lowered = Lowered(host);
  return lowered == "localhost" || lowered.rfind("127.", 0) == 0 || lowered == "[::1]";
}

}  // namespace

DatabasePlace PlaceOf(const std::string& database) {
  const std::string host = HostOf(database);
  return host.empty() || IsThisMachine(host) ? DatabasePlace::ThisMachine : DatabasePlace::OtherMachine;
}

}  // namespace morvanta
