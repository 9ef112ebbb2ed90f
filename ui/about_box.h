#pragma once
// The About box shared by all classes: a modal dialog of template 531 (the skin's page) or 502
// (the Wobblex, Orbicle and Fluxel panels), centred on the primary screen, painted with the
// module's picture and texts, with links that open their addresses through the shell.

#include "host/sdk/winuser.h"

// Module-wide state of the box.
struct AboutBoxState {
  HCURSOR linkCursor = nullptr;  // shown over the links; none: the arrow everywhere
  HCURSOR arrowCursor = nullptr;  // loaded on the first opening
  bool arrowLoaded = false;
  POINT lastMouse;               // the last position moved to or pressed at, client pixels
  LPARAM first = 0;              // kept for the caller, not used
  LPARAM second = 0;
};
const AboutBoxState& TheAboutBoxState();

// Opens the box over parent and returns when it is closed. A negative template id opens nothing.
void OpenAboutBox(HWND parent, int templateId, LPARAM first, LPARAM second, HCURSOR linkCursor);

// The box's dialog procedure: initialisation, painting and mouse messages answer TRUE, commands 1
// and 2 close the box with result 0, everything else answers FALSE.
INT_PTR AboutDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
