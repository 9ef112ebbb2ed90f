#pragma once
// What the rollouts of the secondary-motion and influence-source classes need from the window
// system: the host's custom buttons of a dialog, and the About box. The user-interface shell
// installs them; tests install fakes. Without them buttons stay as the template made them and
// the About command opens nothing.

#include "host/sdk/windefs.h"

class ICustButton;

struct RolloutControls {
  // The custom-button interface of control `control` in dialog `dialog`, made a push button
  // with its tooltip on and the two texts set; null when the control has none. The caller holds
  // it until it hands it back to releaseButton.
  ICustButton* (*takeButton)(HWND dialog, int control, const MCHAR* caption, const MCHAR* tooltip) = nullptr;
  void (*releaseButton)(ICustButton* button) = nullptr;
  // Makes control `control` of dialog `dialog` a check button (pressed and released in turn).
  void (*makeCheckButton)(HWND dialog, int control) = nullptr;

  // Shows the About box (dialog 502) as a modal dialog over owner, passing it the two values.
  void (*openAboutBox)(HWND owner, LPARAM first, LPARAM second) = nullptr;
};

RolloutControls& GetRolloutControls();
