#pragma once
// Internal to the headless host: the cairo image behind a window's picture.

#include <cairo.h>

#include "host/headless/window_model.h"
#include "host/sdk/wingdi.h"

// The window's picture, made (filled with the dialog face colour) on first use; null when the
// window has no client area.
cairo_surface_t* WindowCanvas(HeadlessWindow& window);

// The cairo context of a live device context (BeginPaint), or null.
cairo_t* DeviceContextCairo(HDC dc);
