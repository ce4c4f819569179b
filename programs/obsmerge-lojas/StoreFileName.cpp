#include "programs/obsmerge-lojas/StoreFileName.h"

#include <cstdint>
#include <cstdio>

using namespace morvanta;

namespace {

constexpr std::size_t kLongest = 80;

bool Kept(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
}

std::uint32_t Fnv1a(const AnsiString& text) {
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
  return hash;
}

}  // namespace

std::string StoreFileName(const AnsiString& store) {
  std::string name;
  for (char c : store.substr(0, kLongest)) name += Kept(c) ? c : '_';
  if (name == store && !name.empty() && name.front() != '.') return name;
  char hash[16];
  std::snprintf(hash, sizeof hash, "-%08x", Fnv1a(store));
  return (name.empty() || name.front() == '.' ? "_" + name : name) + hash;
}
