#include "module/resources/about_picture.h"

#include <cstddef>

// about_picture.png, embedded by the build (cmake/EmbedBinary.cmake).
extern const unsigned char kAboutPicturePng[];
extern const std::size_t kAboutPicturePng_size;

std::span<const BYTE> AboutPicturePng() { return {kAboutPicturePng, kAboutPicturePng_size}; }
