// GDI over the headless window model: a device context from BeginPaint draws into the window's
// picture with cairo; fonts are records of their LOGFONTW, drawn with the desktop's sans-serif
// face (the headless host has none of the platform's fonts).

#include <cmath>
#include <cwchar>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/headless/utf8_text.h"
#include "host/headless/window_canvas.h"
#include "host/headless/window_surface.h"
#include "host/sdk/wingdi.h"

namespace {

struct GdiFont {
  LOGFONTW lf;
};

struct DeviceContext {
  HWND window = nullptr;
  cairo_t* cr = nullptr;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF backColor = RGB(255, 255, 255);
  int backMode = OPAQUE;
  GdiFont* font = nullptr;
};

LOGFONTW MessageFont() {
  LOGFONTW lf;
  lf.lfHeight = -12;
  lf.lfWeight = FW_NORMAL;
  const wchar_t face[] = L"Segoe UI";
  std::wmemcpy(lf.lfFaceName, face, sizeof face / sizeof face[0]);
  return lf;
}

// Selected into every new device context; never deleted.
GdiFont& StockFont() {
  static GdiFont font{MessageFont()};
  return font;
}

std::set<GdiFont*>& LiveFonts() {
  static std::set<GdiFont*> fonts;
  return fonts;
}

std::set<DeviceContext*>& LiveContexts() {
  static std::set<DeviceContext*> contexts;
  return contexts;
}

PaintRecord& Record() {
  static PaintRecord record;
  return record;
}

DeviceContext* ContextOf(HDC dc) {
  auto* c = reinterpret_cast<DeviceContext*>(dc);
  return LiveContexts().count(c) ? c : nullptr;
}

GdiFont* FontOf(HGDIOBJ obj) {
  auto* f = reinterpret_cast<GdiFont*>(obj);
  if (f == &StockFont()) return f;
  return LiveFonts().count(f) ? f : nullptr;
}

void SetSource(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

// Lines of text: a line feed, a carriage return, or a pair of the two in either order ends one.
std::vector<std::wstring> SplitLines(const std::wstring& text, bool singleLine) {
  std::vector<std::wstring> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    wchar_t ch = text[i];
    if (ch != L'\n' && ch != L'\r') {
      lines.back() += ch;
      continue;
    }
    if (singleLine) continue;
    if (i + 1 < text.size() && (text[i + 1] == L'\n' || text[i + 1] == L'\r') && text[i + 1] != ch) ++i;
    lines.emplace_back();
  }
  if (lines.size() > 1 && lines.back().empty()) lines.pop_back();  // a final break ends the last line
  return lines;
}

}  // namespace

const PaintRecord& ThePaintRecord() {
  Record().liveFonts = static_cast<int>(LiveFonts().size());
  return Record();
}

BOOL SystemParametersInfoW(UINT action, UINT param, void* data, UINT winIni) {
  (void)winIni;
  if (action != SPI_GETNONCLIENTMETRICS || !data) return FALSE;
  auto* m = static_cast<NONCLIENTMETRICSW*>(data);
  if (m->cbSize != sizeof(NONCLIENTMETRICSW) || param != sizeof(NONCLIENTMETRICSW)) return FALSE;
  m->iBorderWidth = 1;
  m->iCaptionHeight = kDialogCaption - 1;
  m->lfCaptionFont = MessageFont();
  m->lfMenuFont = MessageFont();
  m->lfStatusFont = MessageFont();
  m->lfMessageFont = MessageFont();
  return TRUE;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  HeadlessWindow* w = FindWindowRecord(window);
  cairo_surface_t* canvas = w ? WindowCanvas(*w) : nullptr;
  if (!canvas || !paint) return nullptr;
  auto* dc = new DeviceContext;
  dc->window = window;
  dc->cr = cairo_create(canvas);
  dc->font = &StockFont();
  LiveContexts().insert(dc);
  paint->hdc = reinterpret_cast<HDC>(dc);
  paint->fErase = FALSE;
  paint->rcPaint = {0, 0, w->clientWidth, w->clientHeight};
  ++Record().paints;
  return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
  (void)window;
  DeviceContext* dc = paint ? ContextOf(paint->hdc) : nullptr;
  if (!dc) return FALSE;
  if (dc->font != &StockFont()) ++Record().endedWithForeignFont;
  cairo_destroy(dc->cr);
  LiveContexts().erase(dc);
  delete dc;
  return TRUE;
}

HFONT CreateFontIndirectW(const LOGFONTW* font) {
  if (!font) return nullptr;
  auto* f = new GdiFont{*font};
  LiveFonts().insert(f);
  Record().lastFont = *font;
  return reinterpret_cast<HFONT>(f);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
  DeviceContext* c = ContextOf(dc);
  GdiFont* f = FontOf(obj);
  if (!c || !f) return nullptr;
  GdiFont* old = c->font;
  c->font = f;
  return reinterpret_cast<HGDIOBJ>(old);
}

BOOL DeleteObject(HGDIOBJ obj) {
  auto* f = reinterpret_cast<GdiFont*>(obj);
  if (!LiveFonts().erase(f)) return FALSE;  // the stock font and unknown handles stay
  for (DeviceContext* c : LiveContexts())
    if (c->font == f) c->font = &StockFont();  // deleting a selected font: the context falls back
  delete f;
  return TRUE;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  DeviceContext* c = ContextOf(dc);
  if (!c) return 0xFFFFFFFF;
  return std::exchange(c->textColor, color);
}

int SetBkMode(HDC dc, int mode) {
  DeviceContext* c = ContextOf(dc);
  if (!c || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return std::exchange(c->backMode, mode);
}

int DrawTextW(HDC dc, const wchar_t* text, int count, RECT* rect, UINT format) {
  DeviceContext* c = ContextOf(dc);
  if (!c || !text || !rect) return 0;
  const std::wstring all = count < 0 ? std::wstring(text) : std::wstring(text, static_cast<std::size_t>(count));
  const LOGFONTW& lf = c->font->lf;
  cairo_t* cr = c->cr;
  cairo_save(cr);
  if (!(format & DT_NOCLIP)) {
    cairo_rectangle(cr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    cairo_clip(cr);
  }
  cairo_select_font_face(cr, "sans-serif", lf.lfItalic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                         lf.lfWeight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  // A negative height is the character height, a positive one the cell height.
  const double size = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight > 0 ? lf.lfHeight * 0.8 : 12.0;
  cairo_set_font_size(cr, size);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  const std::vector<std::wstring> lines = SplitLines(all, (format & DT_SINGLELINE) != 0);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string utf8 = WideToUtf8Text(lines[i]);
    const double top = rect->top + fe.height * static_cast<double>(i);
    if (c->backMode == OPAQUE) {
      cairo_text_extents_t te;
      cairo_text_extents(cr, utf8.c_str(), &te);
      SetSource(cr, c->backColor);
      cairo_rectangle(cr, rect->left, top, te.x_advance, fe.height);
      cairo_fill(cr);
    }
    SetSource(cr, c->textColor);
    cairo_move_to(cr, rect->left, top + fe.ascent);
    cairo_show_text(cr, utf8.c_str());
  }
  cairo_restore(cr);
  return static_cast<int>(std::lround(fe.height * static_cast<double>(lines.size())));
}

// For the imaging library (gdiplus.cpp): the cairo context of a live device context.
cairo_t* DeviceContextCairo(HDC dc) {
  DeviceContext* c = ContextOf(dc);
  return c ? c->cr : nullptr;
}
