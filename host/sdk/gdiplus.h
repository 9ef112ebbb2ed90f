#pragma once
// The flat interface of the platform's imaging library, as far as plug-ins use it: decode a
// picture from a stream and draw it on a device context. Plus the in-memory stream it reads.

#include "host/sdk/wingdi.h"

// A read-only stream over bytes (the platform's IStream, reduced to its lifetime).
class IStream {
public:
  virtual ULONG Release() = 0;

protected:
  virtual ~IStream() = default;
};

// A stream over a copy of size bytes of data (shape: size bytes); null without data.
IStream* SHCreateMemStream(const BYTE* data, UINT size);

namespace Gdiplus {

enum Status {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  UnknownImageFormat = 13,
  GdiplusNotInitialized = 18,
};

struct GdiplusStartupInput {
  UINT GdiplusVersion = 1;
};

class GpImage;
class GpGraphics;

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, void* output);
void GdiplusShutdown(ULONG_PTR token);

Status GdipLoadImageFromStream(IStream* stream, GpImage** image);
Status GdipGetImageWidth(GpImage* image, UINT* width);
Status GdipGetImageHeight(GpImage* image, UINT* height);
Status GdipDisposeImage(GpImage* image);
Status GdipCreateFromHDC(HDC dc, GpGraphics** graphics);
// Draws the image at (x, y) in its own size.
Status GdipDrawImageI(GpGraphics* graphics, GpImage* image, int x, int y);
Status GdipDeleteGraphics(GpGraphics* graphics);

}  // namespace Gdiplus
