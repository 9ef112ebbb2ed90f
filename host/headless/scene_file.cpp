#include "host/headless/scene_file.h"

#include <new>

#include "host/headless/atomic_file.h"

bool SaveScene(const std::string& path, std::string* error, const SceneSaveOptions* options) {
  std::vector<std::uint8_t> bytes;
  try {
    if (!SaveSceneToBytes(bytes, error, options)) return false;
  } catch (const std::bad_alloc&) {
    if (error) *error = "the scene cannot be saved: out of memory while composing '" + path + "'";
    return false;
  }
  std::string why;
  if (WriteFileAtomically(path, bytes, why)) return true;
  if (error) *error = "the scene could not be saved: " + why;
  return false;
}

bool LoadScene(const std::string& path, std::string* error, SceneLoadReport* report) {
  std::vector<std::uint8_t> bytes;
  std::string why;
  bool read = false;
  try {
    read = ReadWholeFile(path, bytes, why);
  } catch (const std::bad_alloc&) {
    why = "out of memory while reading '" + path + "'";
  }
  if (!read) {
    if (error) *error = "the scene could not be loaded: " + why;
    return false;
  }
  if (LoadSceneFromBytes(bytes, &why, report)) return true;
  if (error) *error = "'" + path + "': " + why;
  return false;
}
