#pragma once
// A user-interaction service for tests: records every box and report instead of showing it.

#include <vector>

#include "UserInteraction.h"

class RecordingInteraction : public TUserInteraction {
 public:
  RecordingInteraction() { SetUserInteraction(this); }
  ~RecordingInteraction() override { SetUserInteraction(nullptr); }

  void ShowMessage(const AnsiString& text) override { Messages.push_back(text); }
  void ShowReport(const TModalReport& report) override { Reports.push_back(report); }
  void ProcessMessages() override { ++ProcessedMessages; }

  std::vector<AnsiString> Messages;
  std::vector<TModalReport> Reports;
  int ProcessedMessages = 0;
};
