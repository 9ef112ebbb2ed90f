#include "cli/commands/scene_loading.h"

#include <cmath>
#include <cstring>
#include <fstream>

#include "cli/scene/scene_builder.h"
#include "cli/scene/scene_reader.h"
#include "host/headless/headless_host.h"
#include "host/headless/scene_file.h"
#include "host/headless/scene_file_format.h"

namespace {

bool OpenPlugin(LoadedScene& scene, std::ostream& err) {
  std::string why;
  scene.plugin = PluginSession::Open(err, &why);
  if (!scene.plugin) {
    ReportFailure(err, "cannot load the plug-in module: " + why);
    return false;
  }
  return true;
}

bool Build(LoadedScene& scene, std::ostream& err) {
  SceneError error;
  if (!BuildScene(scene.description, error)) {
    ReportFailure(err, error.Text());
    return false;
  }
  return true;
}

bool LoadSaved(const std::string& path, LoadedScene& scene, std::ostream& err) {
  if (!OpenPlugin(scene, err)) return false;
  std::string error;
  SceneLoadReport report;
  if (!LoadScene(path, &error, &report)) {
    ReportFailure(err, error);  // names the file
    return false;
  }
  for (const std::string& warning : report.warnings) err << "tessarin: " << path << ": warning: " << warning << '\n';
  HeadlessHost& host = TheHost();
  SceneDescription& d = scene.description;
  d.file = path;
  d.directory = std::filesystem::path(path).parent_path();
  d.frameRate = host.GetFrameRate();
  d.time = TicksToFrame(host.GetTime(), d.frameRate);
  const Interval range = host.AnimRange();
  d.frames = std::make_pair(int(std::floor(TicksToFrame(range.Start(), d.frameRate))),
                            int(std::ceil(TicksToFrame(range.End(), d.frameRate))));
  return true;
}

}  // namespace

bool IsSavedSceneFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  char mark[sizeof scenefile::kMagic] = {};
  return file.read(mark, sizeof mark) && std::memcmp(mark, scenefile::kMagic, sizeof mark) == 0;
}

bool SaveCurrentScene(const std::string& path, std::ostream& err) {
  std::string error;
  if (SaveScene(path, &error)) return true;
  ReportFailure(err, path + ": " + error);
  return false;
}

int ReportFailure(std::ostream& err, const std::string& text) {
  err << "tessarin: " << text << '\n';
  return 1;
}

bool LoadSceneFile(const std::string& path, LoadedScene& scene, std::ostream& err) {
  if (IsSavedSceneFile(path)) return LoadSaved(path, scene, err);
  SceneError error;
  // Read first: a bad description is reported without touching the module.
  if (!ReadSceneFile(path, scene.description, error)) {
    ReportFailure(err, error.Text());
    return false;
  }
  return OpenPlugin(scene, err) && Build(scene, err);
}

bool LoadSceneJson(const nlohmann::json& document, const std::string& name, LoadedScene& scene, std::ostream& err) {
  SceneError error;
  if (!ReadSceneJson(document, name, ".", scene.description, error)) {
    ReportFailure(err, error.Text());
    return false;
  }
  return OpenPlugin(scene, err) && Build(scene, err);
}
