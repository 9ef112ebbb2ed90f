#include "host/headless/window_model.h"

#include <algorithm>
#include <map>
#include <utility>

#include "host/sdk/custcont.h"

namespace {

struct Screen {
  int width = 1920;
  int height = 1080;
};

Screen& TheScreen() {
  static Screen screen;
  return screen;
}

std::map<HWND, std::unique_ptr<HeadlessWindow>>& Windows() {
  static std::map<HWND, std::unique_ptr<HeadlessWindow>> windows;
  return windows;
}

HWND Register(std::unique_ptr<HeadlessWindow> w) {
  HWND handle = reinterpret_cast<HWND>(w.get());
  Windows()[handle] = std::move(w);
  return handle;
}

int DialogUnitsX(int du) { return du * kDialogBaseUnitX / 4; }
int DialogUnitsY(int du) { return du * kDialogBaseUnitY / 8; }

void PlaceControls(HWND dialog, HeadlessWindow& d) {
  for (const DialogControlResource& c : d.dialogTemplate->controls) {
    auto control = std::make_unique<HeadlessWindow>();
    control->parent = dialog;
    control->instance = d.instance;
    control->controlId = c.id;
    control->windowClass = c.windowClass;
    control->text = c.text;
    control->style = c.style;
    control->clientX = d.clientX + DialogUnitsX(c.x);
    control->clientY = d.clientY + DialogUnitsY(c.y);
    control->clientWidth = DialogUnitsX(c.cx);
    control->clientHeight = DialogUnitsY(c.cy);
    control->rect = {control->clientX, control->clientY, control->clientX + control->clientWidth,
                     control->clientY + control->clientHeight};
    control->button.text = c.text;
    d.children.push_back(Register(std::move(control)));
  }
}

// A dialog window of template t, placed at the parent's client origin (a child) or at the
// screen's origin (a pop-up, which its procedure usually moves); the procedure is not called yet.
HWND CreateDialogWindow(HINSTANCE instance, const DialogTemplateResource& t, HWND parent, DLGPROC proc) {
  auto d = std::make_unique<HeadlessWindow>();
  d->parent = parent;
  d->instance = instance;
  d->dialogTemplate = &t;
  d->proc = proc;
  d->windowClass = L"#32770";
  d->text = t.title;
  d->style = t.style;
  d->clientWidth = DialogUnitsX(t.cx);
  d->clientHeight = DialogUnitsY(t.cy);
  const bool framed = (t.style & WS_CAPTION) != 0;
  const int frame = framed ? kDialogFrame : 0;
  const int caption = framed ? kDialogCaption : 0;
  int x = 0, y = 0;
  if (const HeadlessWindow* p = FindWindowRecord(parent); p && (t.style & WS_CHILD)) {
    x = p->clientX;
    y = p->clientY;
  }
  d->rect = {x, y, x + d->clientWidth + 2 * frame, y + d->clientHeight + 2 * frame + caption};
  d->clientX = x + frame;
  d->clientY = y + frame + caption;
  HeadlessWindow& record = *d;
  HWND handle = Register(std::move(d));
  PlaceControls(handle, record);
  if (HeadlessWindow* p = FindWindowRecord(parent); p && (t.style & WS_CHILD)) p->children.push_back(handle);
  return handle;
}

void MoveBy(HeadlessWindow& w, int dx, int dy) {
  w.rect.left += dx;
  w.rect.right += dx;
  w.rect.top += dy;
  w.rect.bottom += dy;
  w.clientX += dx;
  w.clientY += dy;
  for (HWND c : w.children)
    if (HeadlessWindow* child = FindWindowRecord(c)) MoveBy(*child, dx, dy);
}

}  // namespace

HeadlessWindow* FindWindowRecord(HWND window) {
  auto it = Windows().find(window);
  return it == Windows().end() ? nullptr : it->second.get();
}

int LiveWindowCount() { return static_cast<int>(Windows().size()); }

HWND CreatePlainWindow(const std::wstring& title, int x, int y, int width, int height) {
  auto w = std::make_unique<HeadlessWindow>();
  w->text = title;
  w->windowClass = L"Window";
  w->rect = {x, y, x + width, y + height};
  w->clientX = x;
  w->clientY = y;
  w->clientWidth = width;
  w->clientHeight = height;
  return Register(std::move(w));
}

void SetScreenSize(int width, int height) {
  TheScreen().width = width;
  TheScreen().height = height;
}

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
      return TheScreen().width;
    case SM_CYSCREEN:
      return TheScreen().height;
    default:
      return 0;
  }
}

HWND CreateDialogParamW(HINSTANCE instance, const wchar_t* name, HWND parent, DLGPROC proc, LPARAM param) {
  const DialogTemplateResource* t = FindDialogTemplate(instance, name);
  if (!t) return nullptr;
  HWND dialog = CreateDialogWindow(instance, *t, parent, proc);
  SendMessageW(dialog, WM_INITDIALOG, 0, param);
  return dialog;
}

INT_PTR DialogBoxParamW(HINSTANCE instance, const wchar_t* name, HWND parent, DLGPROC proc, LPARAM param) {
  const DialogTemplateResource* t = FindDialogTemplate(instance, name);
  if (!t) return -1;
  HWND dialog = CreateDialogWindow(instance, *t, parent, proc);
  FindWindowRecord(dialog)->modal = true;
  ModalDialogService& service = TheModalDialogs();
  const std::size_t index = service.Open({instance, t->id, parent, dialog, 0, false});

  SendMessageW(dialog, WM_INITDIALOG, 0, param);
  HeadlessWindow* w = FindWindowRecord(dialog);
  if (w && !w->ended) service.Run(dialog);
  w = FindWindowRecord(dialog);
  if (w && !w->ended) {
    service.At(index).endedByHost = true;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    w = FindWindowRecord(dialog);
  }
  INT_PTR result = -1;
  if (w && w->ended) result = w->result;
  if (w) DestroyWindow(dialog);
  service.At(index).result = result;
  return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  HeadlessWindow* w = FindWindowRecord(dialog);
  if (!w || !w->dialogTemplate) return FALSE;
  w->ended = true;
  w->result = result;
  return TRUE;
}

BOOL DestroyWindow(HWND window) {
  HeadlessWindow* w = FindWindowRecord(window);
  if (!w) return FALSE;
  SendMessageW(window, WM_DESTROY, 0, 0);
  w = FindWindowRecord(window);  // the procedure may have destroyed it already
  if (!w) return TRUE;
  const std::vector<HWND> children = w->children;
  for (HWND c : children) DestroyWindow(c);
  if (HeadlessWindow* p = FindWindowRecord(w->parent)) std::erase(p->children, window);
  Windows().erase(window);
  return TRUE;
}

BOOL IsWindow(HWND window) { return FindWindowRecord(window) ? TRUE : FALSE; }

LRESULT SendMessageW(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  HeadlessWindow* w = FindWindowRecord(window);
  if (!w || !w->proc) return 0;
  return w->proc(window, msg, wParam, lParam);
}

HWND GetDlgItem(HWND dialog, int control) {
  const HeadlessWindow* d = FindWindowRecord(dialog);
  if (!d) return nullptr;
  for (HWND c : d->children)
    if (const HeadlessWindow* w = FindWindowRecord(c); w && w->controlId == control && control != -1) return c;
  return nullptr;
}

int GetDlgCtrlID(HWND control) {
  const HeadlessWindow* w = FindWindowRecord(control);
  return w ? w->controlId : 0;
}

HWND GetParent(HWND window) {
  const HeadlessWindow* w = FindWindowRecord(window);
  return w ? w->parent : nullptr;
}

LONG_PTR GetWindowLongPtrW(HWND window, int index) {
  const HeadlessWindow* w = FindWindowRecord(window);
  if (!w) return 0;
  if (index == GWLP_USERDATA) return w->userData;
  if (index == DWLP_MSGRESULT) return w->msgResult;
  return 0;
}

LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) {
  HeadlessWindow* w = FindWindowRecord(window);
  if (!w) return 0;
  LONG_PTR* slot = index == GWLP_USERDATA ? &w->userData : index == DWLP_MSGRESULT ? &w->msgResult : nullptr;
  if (!slot) return 0;
  return std::exchange(*slot, value);
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  const HeadlessWindow* w = FindWindowRecord(window);
  if (!w || !rect) return FALSE;
  *rect = w->rect;
  return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  const HeadlessWindow* w = FindWindowRecord(window);
  if (!w || !rect) return FALSE;
  *rect = {0, 0, w->clientWidth, w->clientHeight};
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  (void)insertAfter;
  HeadlessWindow* w = FindWindowRecord(window);
  if (!w) return FALSE;
  if (!(flags & SWP_NOMOVE)) MoveBy(*w, x - w->rect.left, y - w->rect.top);
  if (!(flags & SWP_NOSIZE)) {
    const int dw = cx - (w->rect.right - w->rect.left);
    const int dh = cy - (w->rect.bottom - w->rect.top);
    w->rect.right += dw;
    w->rect.bottom += dh;
    w->clientWidth = std::max(0, w->clientWidth + dw);
    w->clientHeight = std::max(0, w->clientHeight + dh);
    w->canvas.reset();  // a new size starts a new picture
  }
  return TRUE;
}

BOOL MapDialogRect(HWND dialog, RECT* rect) {
  const HeadlessWindow* d = FindWindowRecord(dialog);
  if (!d || !d->dialogTemplate || !rect) return FALSE;
  *rect = {DialogUnitsX(rect->left), DialogUnitsY(rect->top), DialogUnitsX(rect->right), DialogUnitsY(rect->bottom)};
  return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
  (void)rect;
  (void)erase;
  HeadlessWindow* w = FindWindowRecord(window);
  if (!w) return FALSE;
  ++w->invalidations;
  return TRUE;
}

bool ClickControl(HWND control) {
  HeadlessWindow* w = FindWindowRecord(control);
  if (!w || !w->parent || !w->button.enabled) return false;
  if (w->windowClass != L"CustButton" && w->windowClass != L"Button") return false;
  if (w->button.type == CBT_CHECK) w->button.checked = !w->button.checked;
  SendMessageW(w->parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(w->controlId), BN_CLICKED),
               reinterpret_cast<LPARAM>(control));
  return true;
}

bool SpinControl(HWND spinner, float value) {
  HeadlessWindow* w = FindWindowRecord(spinner);
  if (!w || !w->parent || w->windowClass != L"SpinnerControl" || !w->spinner.enabled) return false;
  w->spinner.value = std::clamp(value, w->spinner.low, w->spinner.high);
  SendMessageW(w->parent, CC_SPINNER_CHANGE, MAKEWPARAM(static_cast<WORD>(w->controlId), FALSE),
               reinterpret_cast<LPARAM>(spinner));
  return true;
}

void ModalDialogService::Reset() {
  driver_ = nullptr;
  dialogs_.clear();
}

std::size_t ModalDialogService::Open(const ModalDialogRecord& record) {
  dialogs_.push_back(record);
  return dialogs_.size() - 1;
}

void ModalDialogService::Run(HWND dialog) {
  if (driver_) {
    Driver driver = driver_;  // a dialog opened by the driver runs with the same driver
    driver(dialog);
  }
}

ModalDialogService& TheModalDialogs() {
  static ModalDialogService service;
  return service;
}
