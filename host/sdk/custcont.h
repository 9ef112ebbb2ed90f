#pragma once
// The host's custom dialog controls: buttons ("CustButton") and spinners ("SpinnerControl"),
// reached through interfaces that the caller takes from the control's window and hands back,
// and the messages a spinner sends to the dialog that holds it.

#include "host/sdk/windefs.h"

inline constexpr UINT WM_USER = 0x0400;
// A spinner's value changed: the low word of wParam is the spinner's control id, the high word
// TRUE while the user drags it.
inline constexpr UINT CC_SPINNER_CHANGE = WM_USER + 600;
inline constexpr UINT CC_SPINNER_BUTTONDOWN = WM_USER + 601;
inline constexpr UINT CC_SPINNER_BUTTONUP = WM_USER + 602;

// Button kinds: a push button sends WM_COMMAND when clicked; a check button is pressed and
// released in turn and sends WM_COMMAND each time.
inline constexpr int CBT_PUSH = 0;
inline constexpr int CBT_CHECK = 1;

class ICustButton {
public:
  virtual void SetText(const MCHAR* text) = 0;
  virtual void SetTooltip(BOOL onOff, const MCHAR* text) = 0;
  virtual void SetType(int type) = 0;
  virtual void SetCheck(BOOL checked) = 0;
  virtual BOOL IsChecked() = 0;
  virtual void Enable(BOOL onOff = TRUE) = 0;
  virtual void Disable() { Enable(FALSE); }
  virtual BOOL IsEnabled() = 0;

protected:
  virtual ~ICustButton() = default;
};

// Spinner value kinds.
inline constexpr int EDITTYPE_INT = 0;
inline constexpr int EDITTYPE_FLOAT = 1;

class ISpinnerControl {
public:
  virtual void SetLimits(float low, float high, BOOL limitCurrent = TRUE) = 0;
  virtual void SetScale(float scale) = 0;
  virtual void SetValue(float value, BOOL notify) = 0;
  virtual void SetValue(int value, BOOL notify) = 0;
  virtual float GetFVal() = 0;
  virtual int GetIVal() = 0;
  // The edit control (in the same dialog) that shows the value.
  virtual void LinkToEdit(HWND edit, int editType) = 0;
  virtual void Enable(BOOL onOff = TRUE) = 0;
  virtual BOOL IsEnabled() = 0;

protected:
  virtual ~ISpinnerControl() = default;
};

// The interface of a custom control's window; null when the window is not one of that kind.
// Every interface taken is handed back with its Release function.
ICustButton* GetICustButton(HWND control);
void ReleaseICustButton(ICustButton* button);
ISpinnerControl* GetISpinner(HWND control);
void ReleaseISpinner(ISpinnerControl* spinner);
