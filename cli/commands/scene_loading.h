#pragma once
// What every command that works on a scene does first: load the plug-in module, read the
// description and build it into the headless host.

#include <nlohmann/json.hpp>

#include <memory>
#include <ostream>
#include <string>

#include "cli/scene/plugin_session.h"
#include "cli/scene/scene_description.h"

struct LoadedScene {
  std::unique_ptr<PluginSession> plugin;  // declared first: destroyed last, after the scene is gone
  SceneDescription description;
};

// From a description file. False after printing the error to err.
bool LoadSceneFile(const std::string& path, LoadedScene& scene, std::ostream& err);
// From a description held by the program (the demo), named `name` in messages.
bool LoadSceneJson(const nlohmann::json& document, const std::string& name, LoadedScene& scene, std::ostream& err);

// Prints "tessarin: <text>" to err and returns 1, the failure exit code.
int ReportFailure(std::ostream& err, const std::string& text);
