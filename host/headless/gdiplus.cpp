// The imaging library's flat interface over cairo: pictures are decoded by cairo's PNG reader
// (libpng underneath) and drawn into the device context's window picture. Only PNG is known.

#include <cstring>
#include <vector>

#include "host/headless/window_canvas.h"
#include "host/sdk/gdiplus.h"

namespace {

class MemoryStream : public IStream {
public:
  MemoryStream(const BYTE* data, UINT size) : bytes_(data, data + size) {}
  ULONG Release() override {
    delete this;
    return 0;
  }
  // Reads up to n bytes; false at the end.
  bool Read(unsigned char* out, unsigned int n) {
    if (bytes_.size() - position_ < n) return false;
    std::memcpy(out, bytes_.data() + position_, n);
    position_ += n;
    return true;
  }

private:
  ~MemoryStream() override = default;
  std::vector<BYTE> bytes_;
  std::size_t position_ = 0;
};

int g_startups = 0;

}  // namespace

class Gdiplus::GpImage {
public:
  explicit GpImage(cairo_surface_t* s) : surface(s) {}
  ~GpImage() { cairo_surface_destroy(surface); }
  GpImage(const GpImage&) = delete;
  GpImage& operator=(const GpImage&) = delete;
  cairo_surface_t* surface;
};

class Gdiplus::GpGraphics {
public:
  explicit GpGraphics(cairo_t* c) : cr(cairo_reference(c)) {}
  ~GpGraphics() { cairo_destroy(cr); }
  GpGraphics(const GpGraphics&) = delete;
  GpGraphics& operator=(const GpGraphics&) = delete;
  cairo_t* cr;
};

IStream* SHCreateMemStream(const BYTE* data, UINT size) {
  if (!data) return nullptr;
  return new MemoryStream(data, size);
}

namespace Gdiplus {

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, void* output) {
  (void)output;
  if (!token || !input) return InvalidParameter;
  *token = static_cast<ULONG_PTR>(++g_startups);
  return Ok;
}

void GdiplusShutdown(ULONG_PTR token) {
  if (token != 0 && g_startups > 0) --g_startups;
}

Status GdipLoadImageFromStream(IStream* stream, GpImage** image) {
  if (!stream || !image) return InvalidParameter;
  if (g_startups == 0) return GdiplusNotInitialized;
  auto* memory = static_cast<MemoryStream*>(stream);
  cairo_surface_t* s = cairo_image_surface_create_from_png_stream(
      [](void* closure, unsigned char* data, unsigned int length) {
        return static_cast<MemoryStream*>(closure)->Read(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_READ_ERROR;
      },
      memory);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    const bool noMemory = cairo_surface_status(s) == CAIRO_STATUS_NO_MEMORY;
    cairo_surface_destroy(s);
    return noMemory ? OutOfMemory : UnknownImageFormat;
  }
  *image = new GpImage(s);
  return Ok;
}

Status GdipGetImageWidth(GpImage* image, UINT* width) {
  if (!image || !width) return InvalidParameter;
  *width = static_cast<UINT>(cairo_image_surface_get_width(image->surface));
  return Ok;
}

Status GdipGetImageHeight(GpImage* image, UINT* height) {
  if (!image || !height) return InvalidParameter;
  *height = static_cast<UINT>(cairo_image_surface_get_height(image->surface));
  return Ok;
}

Status GdipDisposeImage(GpImage* image) {
  if (!image) return InvalidParameter;
  delete image;
  return Ok;
}

Status GdipCreateFromHDC(HDC dc, GpGraphics** graphics) {
  if (!graphics) return InvalidParameter;
  cairo_t* cr = DeviceContextCairo(dc);
  if (!cr) return InvalidParameter;
  *graphics = new GpGraphics(cr);
  return Ok;
}

Status GdipDrawImageI(GpGraphics* graphics, GpImage* image, int x, int y) {
  if (!graphics || !image) return InvalidParameter;
  cairo_save(graphics->cr);
  cairo_set_source_surface(graphics->cr, image->surface, x, y);
  cairo_paint(graphics->cr);
  cairo_restore(graphics->cr);
  return Ok;
}

Status GdipDeleteGraphics(GpGraphics* graphics) {
  if (!graphics) return InvalidParameter;
  delete graphics;
  return Ok;
}

}  // namespace Gdiplus
