// The host's custom buttons and spinners over the headless window model: each interface taken
// is a small object bound to the control's window; calls on a destroyed control do nothing.

#include <algorithm>

#include "host/headless/window_model.h"
#include "host/sdk/custcont.h"

namespace {

class HeadlessCustButton : public ICustButton {
public:
  explicit HeadlessCustButton(HWND control) : control_(control) {}
  ~HeadlessCustButton() override = default;
  void SetText(const MCHAR* text) override {
    if (CustomButtonState* s = State()) s->text = text ? text : L"";
  }
  void SetTooltip(BOOL onOff, const MCHAR* text) override {
    if (CustomButtonState* s = State()) {
      s->tooltipOn = onOff != FALSE;
      s->tooltip = text ? text : L"";
    }
  }
  void SetType(int type) override {
    if (CustomButtonState* s = State()) s->type = type;
  }
  void SetCheck(BOOL checked) override {
    if (CustomButtonState* s = State()) s->checked = checked != FALSE;
  }
  BOOL IsChecked() override {
    CustomButtonState* s = State();
    return s && s->checked ? TRUE : FALSE;
  }
  void Enable(BOOL onOff) override {
    if (CustomButtonState* s = State()) s->enabled = onOff != FALSE;
  }
  BOOL IsEnabled() override {
    CustomButtonState* s = State();
    return s && s->enabled ? TRUE : FALSE;
  }
  CustomButtonState* State() {
    HeadlessWindow* w = FindWindowRecord(control_);
    return w ? &w->button : nullptr;
  }

private:
  HWND control_;
};

class HeadlessSpinner : public ISpinnerControl {
public:
  explicit HeadlessSpinner(HWND control) : control_(control) {}
  ~HeadlessSpinner() override = default;
  void SetLimits(float low, float high, BOOL limitCurrent) override {
    if (SpinnerState* s = State()) {
      s->low = std::min(low, high);
      s->high = std::max(low, high);
      if (limitCurrent) s->value = std::clamp(s->value, s->low, s->high);
    }
  }
  void SetScale(float scale) override {
    if (SpinnerState* s = State()) s->scale = scale;
  }
  void SetValue(float value, BOOL notify) override { Set(value, notify); }
  void SetValue(int value, BOOL notify) override { Set(static_cast<float>(value), notify); }
  float GetFVal() override {
    SpinnerState* s = State();
    return s ? s->value : 0.0f;
  }
  int GetIVal() override {
    SpinnerState* s = State();
    return s ? static_cast<int>(s->value + (s->value < 0 ? -0.5f : 0.5f)) : 0;
  }
  void LinkToEdit(HWND edit, int editType) override {
    if (SpinnerState* s = State()) {
      s->edit = edit;
      s->editType = editType;
    }
  }
  void Enable(BOOL onOff) override {
    if (SpinnerState* s = State()) s->enabled = onOff != FALSE;
  }
  BOOL IsEnabled() override {
    SpinnerState* s = State();
    return s && s->enabled ? TRUE : FALSE;
  }
  SpinnerState* State() {
    HeadlessWindow* w = FindWindowRecord(control_);
    return w ? &w->spinner : nullptr;
  }

private:
  // The program's own sets are not clamped (as on the platform, limits bind the user); notify
  // tells the dialog as a user change would.
  void Set(float value, BOOL notify) {
    SpinnerState* s = State();
    if (!s) return;
    s->value = value;
    if (notify) {
      HeadlessWindow* w = FindWindowRecord(control_);
      SendMessageW(w->parent, CC_SPINNER_CHANGE, MAKEWPARAM(static_cast<WORD>(w->controlId), FALSE),
                   reinterpret_cast<LPARAM>(control_));
    }
  }
  HWND control_;
};

}  // namespace

ICustButton* GetICustButton(HWND control) {
  HeadlessWindow* w = FindWindowRecord(control);
  if (!w || w->windowClass != L"CustButton") return nullptr;
  ++w->button.interfacesHeld;
  return new HeadlessCustButton(control);
}

void ReleaseICustButton(ICustButton* button) {
  auto* b = static_cast<HeadlessCustButton*>(button);
  if (!b) return;
  if (CustomButtonState* s = b->State()) --s->interfacesHeld;
  delete b;
}

ISpinnerControl* GetISpinner(HWND control) {
  HeadlessWindow* w = FindWindowRecord(control);
  if (!w || w->windowClass != L"SpinnerControl") return nullptr;
  ++w->spinner.interfacesHeld;
  return new HeadlessSpinner(control);
}

void ReleaseISpinner(ISpinnerControl* spinner) {
  auto* s = static_cast<HeadlessSpinner*>(spinner);
  if (!s) return;
  if (SpinnerState* state = s->State()) --state->interfacesHeld;
  delete s;
}
