#pragma once
// Every message box of the skin goes through here. The text is printf-style UTF-8; the part
// before the first "|" is the caption (a single blank when there is none).

#include "host/sdk/windefs.h"

class Tessarin;

// The host's main window, recorded at every evaluation and used as the owner of messages.
void SetMessageOwner(HWND window);
HWND MessageOwner();

// Formats into a 2048-byte buffer (at most 2046 characters; longer texts are cut), brings the
// host's window to the foreground and shows the box. Returns the button pressed, 0 if nothing
// could be shown.
int ShowSkinMessage(Tessarin* modifier, UINT flags, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
