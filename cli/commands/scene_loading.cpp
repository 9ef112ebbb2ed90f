#include "cli/commands/scene_loading.h"

#include <cmath>
#include <cstring>
#include <fstream>

#include "cli/scene/gltf_load.h"
#include "cli/scene/scene_builder.h"
#include "cli/scene/skin_access.h"
#include "cli/scene/weight_display.h"
#include "cli/scene/scene_reader.h"
#include "host/headless/headless_host.h"
#include "host/headless/scene_file.h"
#include "host/headless/scene_file_format.h"
#include "host/headless/utf8_text.h"
#include "host/sdk/inode.h"

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
  if (!BuildSceneOnce(scene.description, error)) {
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

std::string Number(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", double(v));
  return text;
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

void SceneLoadOptions::AddTo(CLI::App& cmd) {
  cmd.add_option("--fps", framesPerSecond, "glTF: frames per second at which the animation is sampled (default 30)")
      ->check(CLI::Range(1, 4800));
  cmd.add_option("--animation", animation, "glTF: the animation to play, by name or index (default the first)");
  cmd.add_option("--weights-from", weightsFrom,
                 "glTF: volumes (weights from Tessarin's bone volumes, the default) or file (the file's own "
                 "JOINTS/WEIGHTS as forced weights)")
      ->check(CLI::IsMember({"volumes", "file"}));
  cmd.add_option("--falloff", falloff, "glTF with --weights-from volumes: every bone's falloff (default " +
                                           Number(kGltfDefaultFalloff) + ")")
      ->check(CLI::Range(0.0, 1e9));
  cmd.add_option("--strength", strength, "glTF with --weights-from volumes: every bone's strength (default " +
                                             Number(kGltfDefaultStrength) + ")")
      ->check(CLI::Range(-1e9, 1e9));
  cmd.add_option("--show-weights", showWeights,
                 "BONE[,BONE...]: select these bones (node names) in every skin and show their weights as vertex "
                 "colours (OBJ colours, COLOR_0 in glTF)")
      ->delimiter(',');
}

GltfImportOptions SceneLoadOptions::Gltf() const {
  GltfImportOptions o;
  if (framesPerSecond) o.framesPerSecond = *framesPerSecond;
  if (animation) o.animation = *animation;
  if (weightsFrom) o.weights = *weightsFrom == "file" ? GltfWeights::File : GltfWeights::Volumes;
  if (falloff) o.falloff = *falloff;
  if (strength) o.strength = *strength;
  return o;
}

std::string SceneLoadOptions::Given() const {
  std::string list;
  auto add = [&](bool given, const char* name) {
    if (given) list += (list.empty() ? "" : ", ") + std::string(name);
  };
  add(framesPerSecond.has_value(), "--fps");
  add(animation.has_value(), "--animation");
  add(weightsFrom.has_value(), "--weights-from");
  add(falloff.has_value(), "--falloff");
  add(strength.has_value(), "--strength");
  return list;
}

bool LoadSceneFile(const std::string& path, LoadedScene& scene, std::ostream& err) {
  return LoadSceneFile(path, SceneLoadOptions(), scene, err);
}

void WarnAboutSkins(const std::string& path, std::ostream& err) {
  const std::vector<SkinRef> skins = FindSkins();
  if (skins.empty()) err << "tessarin: warning: " << path << ": no node carries a Tessarin skin\n";
  for (const SkinRef& s : skins)
    if (s.editor->Table().boneCount == 0)
      err << "tessarin: warning: " << path << ": the Tessarin skin on node \"" << WideToUtf8Text(s.node->GetName())
          << "\" has no bones; it leaves its mesh as it is\n";
}

namespace {

bool LoadAnyScene(const std::string& path, const SceneLoadOptions& options, LoadedScene& scene, std::ostream& err) {
  const bool gltf = IsGltfFile(path);
  if (!gltf && !options.Given().empty()) {
    ReportFailure(err, path + ": " + options.Given() + " apply to glTF files only; this is " +
                           (IsSavedSceneFile(path) ? "a saved scene file" : "a scene description"));
    return false;
  }
  if (gltf) {
    SceneError error;
    if (!ReadGltfScene(path, options.Gltf(), scene.description, error)) {
      ReportFailure(err, error.Text());
      return false;
    }
    return OpenPlugin(scene, err) && Build(scene, err);
  }
  if (IsSavedSceneFile(path)) return LoadSaved(path, scene, err);
  SceneError error;
  // Read first: a bad description is reported without touching the module.
  if (!ReadSceneFile(path, scene.description, error)) {
    ReportFailure(err, error.Text());
    return false;
  }
  return OpenPlugin(scene, err) && Build(scene, err);
}

}  // namespace

bool LoadSceneFile(const std::string& path, const SceneLoadOptions& options, LoadedScene& scene, std::ostream& err) {
  if (!LoadAnyScene(path, options, scene, err)) return false;
  WarnAboutSkins(path, err);
  if (options.showWeights.empty()) return true;
  std::string why;
  if (!ShowBoneWeights(options.showWeights, &why)) {
    ReportFailure(err, path + ": --show-weights: " + why);
    return false;
  }
  return true;
}

bool LoadSceneJson(const nlohmann::json& document, const std::string& name, LoadedScene& scene, std::ostream& err) {
  SceneError error;
  if (!ReadSceneJson(document, name, ".", scene.description, error)) {
    ReportFailure(err, error.Text());
    return false;
  }
  return OpenPlugin(scene, err) && Build(scene, err);
}
