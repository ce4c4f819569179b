#pragma once
// The user-interaction service: modal message boxes, modal reports and the processing of pending
// window messages. Without a graphical display (the only backend for now) boxes and reports are
// written to the standard error stream and wait for Enter when standard input is a terminal.
// Tests replace the service with a recorder.

#include <utility>
#include <vector>

#include "morvanta/platform/core/Text.h"

namespace morvanta {

// A modal report window's content: a caption, labelled texts in order, and a table.
struct TModalReport {
  AnsiString Caption;
  std::vector<std::pair<AnsiString, AnsiString>> Fields;
  std::vector<AnsiString> TableHeader;
  std::vector<std::vector<AnsiString>> TableRows;
};

class TUserInteraction {
 public:
  virtual ~TUserInteraction() = default;
  virtual void ShowMessage(const AnsiString& text) = 0;
  virtual void ShowReport(const TModalReport& report) = 0;
  // A question answered yes or no; true for yes.
  virtual bool Confirm(const AnsiString& question) = 0;
  virtual void ProcessMessages() {}
};

// Writes to the standard error stream in the system's encoding.
class TConsoleInteraction : public TUserInteraction {
 public:
  void ShowMessage(const AnsiString& text) override;
  void ShowReport(const TModalReport& report) override;
  // Reads "s" (yes) or anything else (no) from a terminal; without one the answer is no.
  bool Confirm(const AnsiString& question) override;
};

TUserInteraction& UserInteraction();
// Installs another service (not owned); nullptr restores the console.
void SetUserInteraction(TUserInteraction* interaction);

// Shortcuts through the current service.
void ShowMessage(const AnsiString& text);
bool Confirm(const AnsiString& question);
void ProcessMessages();

}  // namespace morvanta
