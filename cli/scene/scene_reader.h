#pragma once
// Reads a scene description (JSON, comments allowed) into a SceneDescription, checking all of
// it: syntax, keys, types, ranges, node references and every class's own data. A failure gives
// the file, the place (a JSON pointer, or a line and column for a syntax error) and the problem.

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

#include "cli/scene/json_view.h"
#include "cli/scene/scene_description.h"

// From a file; relative paths inside it start at its directory.
bool ReadSceneFile(const std::filesystem::path& path, SceneDescription& out, SceneError& error);
// From text (fileName names it in messages; directory resolves relative paths).
bool ReadSceneText(const std::string& text, const std::string& fileName, const std::filesystem::path& directory,
                   SceneDescription& out, SceneError& error);
// From a parsed document.
bool ReadSceneJson(const nlohmann::json& document, const std::string& fileName,
                   const std::filesystem::path& directory, SceneDescription& out, SceneError& error);

// Transform values shared by class readers:
// a rotation [rx, ry, rz] (degrees about x, then y, then z), {"axis": [x, y, z], "angle": degrees}
// or {"quaternion": [x, y, z, w]};
Quat ReadRotation(const JsonView& json);
// a scale: one number for all axes or [sx, sy, sz], no factor zero.
Point3 ReadScale(const JsonView& json);
