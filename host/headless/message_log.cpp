#include "host/headless/message_log.h"

#include "host/headless/headless_host.h"

int MessageLog::Show(const MessageRecord& record) {
  records_.push_back(record);
  if (printer_) printer_(record);
  if (responder_) return responder_(record);
  switch (record.type & 0xF) {
    case MB_YESNO: return IDYES;
    default: return IDOK;
  }
}

int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
  MessageRecord r;
  r.owner = owner;
  r.text = text ? text : L"";
  r.caption = caption ? caption : L"";
  r.type = type;
  return TheHost().Messages().Show(r);
}

BOOL SetForegroundWindow(HWND window) {
  TheHost().Messages().SetForeground(window);
  return TRUE;
}
