// Painting the About box: the module's picture at (0, 0) in its own size, the two text blocks in
// white over it, and the font created for them released.

#include <png.h>

#include <vector>

#include "host/headless/window_surface.h"
#include "module/resources/about_picture.h"
#include "ui/about_box.h"
#include "ui/about_painting.h"
#include "ui_fixture.h"

namespace {

// The module's picture decoded independently of the painting, 0x00RRGGBB per pixel.
std::vector<std::uint32_t> DecodedPicture() {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  std::span<const BYTE> png = AboutPicturePng();
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  std::vector<std::uint32_t> pixels(image.width * image.height);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = (std::uint32_t{rgb[3 * i]} << 16) | (std::uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
  return pixels;
}

class AboutPaintingTest : public UiTest {
protected:
  // Paints a box and keeps its pixels (client area) before it closes.
  void PaintBox() {
    TheModalDialogs().SetDriver([this](HWND box) {
      SendMessageW(box, WM_PAINT, 0, 0);
      RECT c;
      GetClientRect(box, &c);
      width_ = c.right;
      height_ = c.bottom;
      pixels_.resize(static_cast<std::size_t>(width_ * height_));
      for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) pixels_[static_cast<std::size_t>(y * width_ + x)] = WindowPixel(box, x, y);
      SendMessageW(box, WM_COMMAND, IDOK, 0);
    });
    OpenAboutBox(nullptr, IDD_ABOUT, 0, 0, nullptr);
  }
  std::uint32_t Pixel(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width_ + x)]; }
  // Pixels of the rectangle that are near white.
  int WhiteIn(RECT r) const {
    int n = 0;
    for (int y = r.top; y < std::min<int>(r.bottom, height_); ++y)
      for (int x = r.left; x < std::min<int>(r.right, width_); ++x) n += (Pixel(x, y) & 0xF0F0F0) == 0xF0F0F0;
    return n;
  }
  int width_ = 0, height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

TEST_F(AboutPaintingTest, PictureAtTheOriginInItsOwnSize) {
  const std::vector<std::uint32_t> picture = DecodedPicture();
  ASSERT_EQ(picture.size(), static_cast<std::size_t>(kAboutPictureWidth * kAboutPictureHeight));
  PaintBox();
  ASSERT_GT(width_, 0);
  // Away from the texts every client pixel is the picture's.
  int differing = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < width_; ++x)
      differing += Pixel(x, y) != picture[static_cast<std::size_t>(y * kAboutPictureWidth + x)];
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(Pixel(width_ - 1, height_ - 1),
            picture[static_cast<std::size_t>((height_ - 1) * kAboutPictureWidth + width_ - 1)]);
}

TEST_F(AboutPaintingTest, BothTextBlocksInWhite) {
  PaintBox();
  EXPECT_GT(WhiteIn({24, 127, 300, 145}), 50) << "title and version";
  EXPECT_GT(WhiteIn({24, 145, 300, 163}), 50) << "the copyright line";
  EXPECT_GT(WhiteIn({24, 310, 196, 325}), 50) << "the mail address under R4";
  EXPECT_GT(WhiteIn({208, 310, 404, 325}), 50) << "the product page under R5";
  EXPECT_EQ(WhiteIn({0, 170, 20, 300}), 0) << "nothing left of the blocks";
}

TEST_F(AboutPaintingTest, FontReleasedAndRestoredBeforePaintingEnds) {
  const PaintRecord before = ThePaintRecord();
  PaintBox();
  const PaintRecord after = ThePaintRecord();
  EXPECT_EQ(after.paints, before.paints + 1);
  EXPECT_EQ(after.liveFonts, before.liveFonts);
  EXPECT_EQ(after.endedWithForeignFont, before.endedWithForeignFont);
  // The texts use the system's message font, in bold.
  EXPECT_EQ(std::wstring(after.lastFont.lfFaceName), L"Segoe UI");
  EXPECT_EQ(after.lastFont.lfHeight, -12);
  EXPECT_EQ(after.lastFont.lfWeight, FW_BOLD);
}

TEST_F(AboutPaintingTest, APaintWithoutTheModuleDrawsNoPicture) {
  SetModuleInstance(nullptr);
  HWND w = CreatePlainWindow(L"plain", 0, 0, 40, 40);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  ASSERT_NE(dc, nullptr);
  EXPECT_FALSE(DrawAboutPicture(dc));
  EndPaint(w, &ps);
  EXPECT_EQ(WindowPixel(w, 10, 10), kDialogFaceColor);
  DestroyWindow(w);
}

}  // namespace
