#include "host/headless/window_surface.h"

#include <cstring>

#include "host/headless/atomic_file.h"
#include "host/headless/window_canvas.h"

cairo_surface_t* WindowCanvas(HeadlessWindow& window) {
  if (window.clientWidth <= 0 || window.clientHeight <= 0) return nullptr;
  if (!window.canvas) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, window.clientWidth, window.clientHeight);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(s);
      return nullptr;
    }
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, ((kDialogFaceColor >> 16) & 0xFF) / 255.0, ((kDialogFaceColor >> 8) & 0xFF) / 255.0,
                         (kDialogFaceColor & 0xFF) / 255.0);
    cairo_paint(cr);
    cairo_destroy(cr);
    window.canvas = std::shared_ptr<void>(s, [](void* p) { cairo_surface_destroy(static_cast<cairo_surface_t*>(p)); });
  }
  return static_cast<cairo_surface_t*>(window.canvas.get());
}

std::uint32_t WindowPixel(HWND window, int x, int y) {
  HeadlessWindow* w = FindWindowRecord(window);
  cairo_surface_t* s = w ? WindowCanvas(*w) : nullptr;
  if (!s || x < 0 || y < 0 || x >= w->clientWidth || y >= w->clientHeight) return 0;
  cairo_surface_flush(s);
  const unsigned char* row = cairo_image_surface_get_data(s) + static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(s);
  std::uint32_t pixel;
  std::memcpy(&pixel, row + 4 * x, sizeof pixel);
  return pixel & 0x00FFFFFFu;
}

bool SaveWindowPicture(HWND window, const std::string& path, std::string* why) {
  HeadlessWindow* w = FindWindowRecord(window);
  cairo_surface_t* s = w ? WindowCanvas(*w) : nullptr;
  if (!s) {
    if (why) *why = "cannot write '" + path + "': the window has no picture";
    return false;
  }
  // Through the atomic writer: a failed write leaves no partial picture and says why.
  std::string error;
  const bool written = WriteStreamAtomically(
      path,
      [s](std::ostream& out, std::string& failure) {
        cairo_status_t status = cairo_surface_write_to_png_stream(
            s,
            [](void* closure, const unsigned char* data, unsigned int length) {
              auto& stream = *static_cast<std::ostream*>(closure);
              stream.write(reinterpret_cast<const char*>(data), length);
              return stream ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
            },
            &out);
        if (status == CAIRO_STATUS_SUCCESS || status == CAIRO_STATUS_WRITE_ERROR) return true;  // the stream tells
        failure = cairo_status_to_string(status);
        return false;
      },
      error);
  if (!written && why) *why = error;
  return written;
}
