#include "cli/scene/scene_error.h"

std::string SceneError::Text() const {
  std::string text = file.empty() ? std::string("scene") : file;
  if (!place.empty()) text += ": " + place;
  return text + ": " + what;
}
