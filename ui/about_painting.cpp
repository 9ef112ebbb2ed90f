#include "ui/about_painting.h"

#include <string>

#include "host/sdk/gdiplus.h"
#include "host/sdk/winresources.h"
#include "module/resources/resource_ids.h"
#include "module/resources/string_table.h"
#include "module/resources/text_conversion.h"
#include "module/resources/version_text.h"
#include "ui/about_texts.h"

namespace {

// The imaging library for the length of one drawing.
class ImagingSession {
public:
  ImagingSession() {
    Gdiplus::GdiplusStartupInput input;
    ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
  }
  ~ImagingSession() {
    if (ok_) Gdiplus::GdiplusShutdown(token_);
  }
  ImagingSession(const ImagingSession&) = delete;
  ImagingSession& operator=(const ImagingSession&) = delete;
  bool ok() const { return ok_; }

private:
  ULONG_PTR token_ = 0;
  bool ok_ = false;
};

void DrawBlock(HDC dc, const std::string& utf8, RECT rect) {
  const std::wstring text = Utf8ToWide(utf8);
  DrawTextW(dc, text.c_str(), -1, &rect, DT_LEFT | DT_TOP);
}

}  // namespace

bool DrawAboutPicture(HDC dc) {
  HINSTANCE instance = GetModuleInstance();
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(IDR_ABOUT_PICTURE), MAKEINTRESOURCEW(RT_RCDATA_TYPE));
  if (!found) return false;
  const void* bytes = LockResource(LoadResource(instance, found));
  const DWORD size = SizeofResource(instance, found);
  if (!bytes || size == 0) return false;

  ImagingSession imaging;
  if (!imaging.ok()) return false;
  IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(bytes), size);
  if (!stream) return false;
  Gdiplus::GpImage* image = nullptr;
  const bool decoded = Gdiplus::GdipLoadImageFromStream(stream, &image) == Gdiplus::Ok;
  stream->Release();
  if (!decoded) return false;
  Gdiplus::GpGraphics* graphics = nullptr;
  bool drawn = false;
  if (Gdiplus::GdipCreateFromHDC(dc, &graphics) == Gdiplus::Ok) {
    drawn = Gdiplus::GdipDrawImageI(graphics, image, 0, 0) == Gdiplus::Ok;
    Gdiplus::GdipDeleteGraphics(graphics);
  }
  Gdiplus::GdipDisposeImage(image);
  return drawn;
}

void PaintAboutBox(HWND dialog) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  if (!dc) return;
  DrawAboutPicture(dc);

  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  LOGFONTW lf = {};
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) lf = metrics.lfMessageFont;
  lf.lfWeight = FW_BOLD;
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
  SetTextColor(dc, kAboutTextColor);
  SetBkMode(dc, TRANSPARENT);
  DrawBlock(dc, AboutHeadline(kTessarinVersionCode, UtcYearOf(ModuleBuildTime())), kAboutHeadlineRect);
  DrawBlock(dc, AboutContactLine(), kAboutContactRect);
  if (font) {
    SelectObject(dc, previous);
    DeleteObject(font);
  }
  EndPaint(dialog, &paint);
}
