#pragma once
// What every command that works on a scene does first: load the plug-in module, read the
// description and build it into the headless host.

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/scene/gltf_import.h"
#include "cli/scene/plugin_session.h"
#include "cli/scene/scene_description.h"

struct LoadedScene {
  std::unique_ptr<PluginSession> plugin;  // declared first: destroyed last, after the scene is gone
  SceneDescription description;
};

// How a glTF file becomes a scene: the options every command that takes a SCENE declares. Unset
// options take the glTF import's defaults; descriptions and saved scenes carry their own settings,
// so the options are refused for them.
struct SceneLoadOptions {
  std::optional<int> framesPerSecond;
  std::optional<std::string> animation;
  std::optional<std::string> weightsFrom;  // "volumes" or "file"
  std::optional<float> falloff;
  std::optional<float> strength;
  // Bone node names: every skin selects exactly these of its bones and shows their weights as
  // vertex colours; for any scene.
  std::vector<std::string> showWeights;

  void AddTo(CLI::App& cmd);
  GltfImportOptions Gltf() const;
  // "--fps, --animation" for the options given; empty when none.
  std::string Given() const;
};

// From a description file, a glTF file (.gltf or .glb) or a saved scene file, told apart by
// content (the scene file's mark, the glTF binary mark or a JSON document with a glTF "asset"). A
// saved scene gets a description without nodes that carries its frame rate, current frame and
// animation range. Warns as WarnAboutSkins does. False after printing the error to err.
bool LoadSceneFile(const std::string& path, const SceneLoadOptions& options, LoadedScene& scene, std::ostream& err);
bool LoadSceneFile(const std::string& path, LoadedScene& scene, std::ostream& err);
// Warns on err when the built scene has no Tessarin skin, or a skin has no bones.
void WarnAboutSkins(const std::string& path, std::ostream& err);
// Whether path starts with the mark of the headless host's scene file.
bool IsSavedSceneFile(const std::string& path);
// Saves the current scene to path (replacing it only once complete). False after printing the
// error to err.
bool SaveCurrentScene(const std::string& path, std::ostream& err);
// From a description held by the program (the demo), named `name` in messages.
bool LoadSceneJson(const nlohmann::json& document, const std::string& name, LoadedScene& scene, std::ostream& err);

// The help text of a command's SCENE argument.
inline constexpr const char* kSceneArgumentHelp =
    "a scene description (JSON, see docs/scene-format.md), a glTF 2.0 character (.gltf or .glb, see docs/gltf.md) "
    "or a scene file saved by tessarin";

// Prints "tessarin: <text>" to err and returns 1, the failure exit code.
int ReportFailure(std::ostream& err, const std::string& text);
