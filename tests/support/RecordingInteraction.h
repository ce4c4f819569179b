#pragma once
// A user-interaction service for tests: records every box, report and question instead of showing
// it, and answers the questions as told.

#include <vector>

#include "morvanta/platform/framework/UserInteraction.h"

using namespace morvanta;

class RecordingInteraction : public TUserInteraction {
 public:
  RecordingInteraction() { SetUserInteraction(this); }
  ~RecordingInteraction() override { SetUserInteraction(nullptr); }

  void ShowMessage(const AnsiString& text) override { Messages.push_back(text); }
  void ShowReport(const TModalReport& report) override { Reports.push_back(report); }
  bool Confirm(const AnsiString& question) override {
    Questions.push_back(question);
    return Answer;
  }
  void ProcessMessages() override { ++ProcessedMessages; }

  std::vector<AnsiString> Messages;
  std::vector<TModalReport> Reports;
  std::vector<AnsiString> Questions;
  bool Answer = false;  // the answer to every question
  int ProcessedMessages = 0;
};
