#pragma once
// The headless window model behind host/sdk/winuser.h: every window is a record known by its
// handle, with its template, dialog procedure, position, controls and custom-control state. There
// is no screen and no message queue: messages are calls to the window's procedure, and a modal
// dialog is run by a driver (a test or program) that sends it messages until it ends.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/sdk/winresources.h"
#include "host/sdk/winuser.h"

// Pixels per 4 horizontal and per 8 vertical dialog units (the dialog fonts' base units).
inline constexpr int kDialogBaseUnitX = 6;
inline constexpr int kDialogBaseUnitY = 13;
// The frame of a pop-up dialog with caption and modal frame, in pixels.
inline constexpr int kDialogFrame = 3;
inline constexpr int kDialogCaption = 23;

struct CustomButtonState {
  std::wstring text;
  bool tooltipOn = false;
  std::wstring tooltip;
  int type = 0;  // CBT_PUSH or CBT_CHECK
  bool checked = false;
  bool enabled = true;
  int interfacesHeld = 0;
};

struct SpinnerState {
  float low = 0.0f, high = 100.0f;
  float scale = 0.1f;
  float value = 0.0f;
  HWND edit = nullptr;
  int editType = 0;
  bool enabled = true;
  int interfacesHeld = 0;
};

struct HeadlessWindow {
  HWND parent = nullptr;
  HINSTANCE instance = nullptr;
  const DialogTemplateResource* dialogTemplate = nullptr;  // dialogs only
  DLGPROC proc = nullptr;
  int controlId = -1;
  std::wstring windowClass;  // "#32770" for dialogs, the template's class for controls
  std::wstring text;
  DWORD style = 0;
  RECT rect;                 // outer rectangle, screen pixels
  int clientWidth = 0, clientHeight = 0;
  int clientX = 0, clientY = 0;  // client origin in screen pixels
  LONG_PTR userData = 0;
  LONG_PTR msgResult = 0;
  bool modal = false;
  bool ended = false;
  INT_PTR result = 0;
  std::vector<HWND> children;  // controls, in template order
  CustomButtonState button;
  SpinnerState spinner;
  std::shared_ptr<void> canvas;  // the client area's picture (window_surface.cpp), made on first paint
  int invalidations = 0;
};

// The record of a live window; null for a handle that is not (or no longer) a window.
HeadlessWindow* FindWindowRecord(HWND window);
// A top-level window without template or procedure (the command panel, a test's owner).
HWND CreatePlainWindow(const std::wstring& title, int x, int y, int width, int height);

// The primary screen (default 1920 × 1080).
void SetScreenSize(int width, int height);

// Stands for the user clicking a custom button or push button: a check button changes state,
// then the dialog holding it hears WM_COMMAND (control id, BN_CLICKED). False for a window that is
// no enabled control.
bool ClickControl(HWND control);
// Stands for the user setting a spinner's value: clamped to its limits, then the dialog hears
// CC_SPINNER_CHANGE (control id, not dragging). False for a window that is no enabled spinner.
bool SpinControl(HWND spinner, float value);

// The modal dialogs: each one opened is recorded, and a driver runs it. Without a driver, or when
// the driver returns with the dialog still open, the dialog hears WM_COMMAND IDCANCEL (the user
// pressing Escape); one that still does not end is destroyed with the result -1.
struct ModalDialogRecord {
  HINSTANCE instance = nullptr;
  int templateId = 0;
  HWND owner = nullptr;
  HWND window = nullptr;  // no longer valid once the dialog ended
  INT_PTR result = 0;
  bool endedByHost = false;  // the driver left it open
};

class ModalDialogService {
public:
  using Driver = std::function<void(HWND dialog)>;
  void SetDriver(Driver driver) { driver_ = std::move(driver); }
  const std::vector<ModalDialogRecord>& Dialogs() const { return dialogs_; }
  // Forgets the dialogs and the driver.
  void Reset();

  // For DialogBoxParamW.
  std::size_t Open(const ModalDialogRecord& record);
  void Run(HWND dialog);
  ModalDialogRecord& At(std::size_t i) { return dialogs_[i]; }

private:
  Driver driver_;
  std::vector<ModalDialogRecord> dialogs_;
};

ModalDialogService& TheModalDialogs();

// Live windows, for tests that check nothing is left behind.
int LiveWindowCount();
