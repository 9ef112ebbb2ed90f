#pragma once
// The application interface as an object's edited parameters see it: the command panel's
// rollout pages besides everything Interface offers.

#include "host/sdk/interface.h"
#include "host/sdk/winuser.h"

class IObjParam : public Interface {
public:
  // Adds a rollout page to the command panel: a modeless dialog of template dlgTemplate of module
  // instance, titled title, whose procedure hears WM_INITDIALOG with param before the call
  // returns. Answers the page's window (null when the template is missing).
  virtual HWND AddRollupPage(HINSTANCE instance, const MCHAR* dlgTemplate, DLGPROC proc, const MCHAR* title,
                             LPARAM param = 0, DWORD flags = 0, int category = 4000) = 0;
  // Removes the page: its procedure hears WM_DESTROY and its window is gone.
  virtual void DeleteRollupPage(HWND page) = 0;
};
