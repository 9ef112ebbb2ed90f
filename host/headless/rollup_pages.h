#pragma once
// The rollout pages that objects add to the headless command panel themselves
// (IObjParam::AddRollupPage): modeless dialogs, children of the command panel's window.

#include <string>
#include <vector>

#include "host/sdk/winuser.h"

struct RollupPageRecord {
  HWND window = nullptr;
  HINSTANCE instance = nullptr;
  int templateId = 0;
  std::wstring title;
  LPARAM param = 0;
  DWORD flags = 0;
  int category = 0;
};

// The open pages in opening order.
const std::vector<RollupPageRecord>& RollupPages();
// The command panel's window (made on first use).
HWND CommandPanelWindow();

// For the host's IObjParam.
HWND AddRollupPageTo(HINSTANCE instance, const MCHAR* dlgTemplate, DLGPROC proc, const MCHAR* title, LPARAM param,
                     DWORD flags, int category);
// Removes an open page (its procedure hears WM_DESTROY); a window that is no open page is left alone.
void DeleteRollupPageOf(HWND page);
