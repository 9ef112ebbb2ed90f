#include "cli/commands/scene_loading.h"

#include "cli/scene/scene_builder.h"
#include "cli/scene/scene_reader.h"

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

}  // namespace

int ReportFailure(std::ostream& err, const std::string& text) {
  err << "tessarin: " << text << '\n';
  return 1;
}

bool LoadSceneFile(const std::string& path, LoadedScene& scene, std::ostream& err) {
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
