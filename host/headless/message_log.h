#pragma once
// Where the headless host's message boxes go: every box is recorded; a responder chooses the
// button (default: the first button of the style), and an optional printer shows it.

#include <functional>
#include <string>
#include <vector>

#include "host/sdk/windefs.h"

struct MessageRecord {
  HWND owner = nullptr;
  std::wstring caption;
  std::wstring text;
  UINT type = 0;
};

class MessageLog {
public:
  using Responder = std::function<int(const MessageRecord&)>;
  using Printer = std::function<void(const MessageRecord&)>;

  int Show(const MessageRecord& record);
  const std::vector<MessageRecord>& Records() const { return records_; }
  void Clear() { records_.clear(); }
  void SetResponder(Responder r) { responder_ = std::move(r); }
  void SetPrinter(Printer p) { printer_ = std::move(p); }
  HWND ForegroundWindow() const { return foreground_; }
  void SetForeground(HWND w) { foreground_ = w; }

private:
  std::vector<MessageRecord> records_;
  Responder responder_;
  Printer printer_;
  HWND foreground_ = nullptr;
};
