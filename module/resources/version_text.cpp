#include "module/resources/version_text.h"

std::string VersionText(int code) {
  return std::to_string(code / 10000) + "." + std::to_string((code / 100) % 100) + "." + std::to_string(code % 100);
}
