#include "morvanta/platform/framework/UserInteraction.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

namespace morvanta {

namespace {

TUserInteraction* gInteraction = nullptr;

// Carriage returns (alone or before a line feed) become line breaks.
std::string ConsoleText(const AnsiString& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out.push_back('\n');
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return ToSystem(out);
}

void WaitForEnterOnTerminal() {
  if (!isatty(STDIN_FILENO)) return;
  std::fputs("[Enter]", stderr);
  std::fflush(stderr);
  int c;
  while ((c = std::getchar()) != EOF && c != '\n') {
  }
}

}  // namespace

void TConsoleInteraction::ShowMessage(const AnsiString& text) {
  std::string out = ConsoleText(text);
  out.push_back('\n');
  std::fputs(out.c_str(), stderr);
  std::fflush(stderr);
  WaitForEnterOnTerminal();
}

void TConsoleInteraction::ShowReport(const TModalReport& report) {
  std::string out = "== " + ConsoleText(report.Caption) + " ==\n";
  for (const auto& [label, text] : report.Fields) out += ConsoleText(label) + " " + ConsoleText(text) + "\n";
  if (!report.TableHeader.empty()) {
    std::size_t width = report.TableHeader[0].size();
    for (const auto& row : report.TableRows)
      if (!row.empty()) width = std::max(width, row[0].size());
    auto line = [&](const std::vector<AnsiString>& cells) {
      std::string l;
      for (std::size_t i = 0; i < cells.size(); ++i) {
        std::string cell = ConsoleText(cells[i]);
        if (i + 1 < cells.size()) cell.append(width + 2 > cells[i].size() ? width + 2 - cells[i].size() : 1, ' ');
        l += cell;
      }
      return l + "\n";
    };
    out += line(report.TableHeader);
    for (const auto& row : report.TableRows) out += line(row);
  }
  std::fputs(out.c_str(), stderr);
  std::fflush(stderr);
  WaitForEnterOnTerminal();
}

bool TConsoleInteraction::Confirm(const AnsiString& question) {
  std::fputs((ConsoleText(question) + " [s/n] ").c_str(), stderr);
  std::fflush(stderr);
  if (!isatty(STDIN_FILENO)) {
    std::fputs("n\n", stderr);
    return false;
  }
  std::string answer;
  int c;
  while ((c = std::getchar()) != EOF && c != '\n') answer.push_back(static_cast<char>(c));
  return answer == "s" || answer == "S";
}

TUserInteraction& UserInteraction() {
  static TConsoleInteraction console;
  return gInteraction ? *gInteraction : console;
}

void SetUserInteraction(TUserInteraction* interaction) { gInteraction = interaction; }

void ShowMessage(const AnsiString& text) { UserInteraction().ShowMessage(text); }

bool Confirm(const AnsiString& question) { return UserInteraction().Confirm(question); }

void ProcessMessages() { UserInteraction().ProcessMessages(); }

}  // namespace morvanta
