#include "cli/scene/scene_reader.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>
#include <cstdint>
#include <set>
#include <sstream>

#include "cli/scene/scene_classes.h"

namespace {

constexpr double kMaxFrame = 100000.0;  // keeps every key's tick count inside 32 bits

float Radians(double degrees) { return float(degrees * std::numbers::pi / 180.0); }

// "line 3, column 7" of a byte offset.
std::string LineAndColumn(const std::string& text, std::size_t byte) {
  int line = 1, column = 1;
  for (std::size_t i = 0; i < byte && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// nlohmann's parse message without its prefix and position.
std::string ParseDetail(const std::string& what) {
  std::size_t at = what.find("parse error");
  std::size_t colon = at == std::string::npos ? std::string::npos : what.find(": ", at);
  if (colon != std::string::npos) return what.substr(colon + 2);
  // "[json.exception.out_of_range.406] number overflow parsing '1e400'"
  std::size_t bracket = what.rfind("] ", 40);
  return what.rfind("[json.exception.", 0) == 0 && bracket != std::string::npos ? what.substr(bracket + 2) : what;
}

// Builds the document like nlohmann's own parser, but keeps where the first error lies, whatever
// its kind: a number too large for a double (1e400) is refused by the parser with no place of
// its own.
class PlacedDocumentParser : public nlohmann::detail::json_sax_dom_parser<nlohmann::json> {
public:
  explicit PlacedDocumentParser(nlohmann::json& document)
      : nlohmann::detail::json_sax_dom_parser<nlohmann::json>(document, /*allow_exceptions=*/false) {}
  template <class Exception>
  bool parse_error(std::size_t position, const std::string& token, const Exception& ex) {
    if (!failed) {
      failed = true;
      byte = position;
      what = ex.what();
    }
    return nlohmann::detail::json_sax_dom_parser<nlohmann::json>::parse_error(position, token, ex);
  }
  bool failed = false;
  std::size_t byte = 0;
  std::string what;
};

TransformKey ReadKey(const JsonView& json) {
  json.AllowOnly({"frame", "position", "rotation", "scale"});
  TransformKey key;
  key.frame = json["frame"].AsNumber(-kMaxFrame, kMaxFrame);
  if (json.Has("position")) key.position = json["position"].AsPoint3();
  if (json.Has("rotation")) key.rotation = ReadRotation(json["rotation"]);
  if (json.Has("scale")) key.scale = ReadScale(json["scale"]);
  if (!key.position && !key.rotation && !key.scale) json.Fail("a key needs a position, rotation or scale");
  return key;
}

std::vector<TransformKey> ReadKeys(const JsonView& json) {
  json.RequireArray();
  std::vector<TransformKey> keys;
  // One key per part and frame: a second one would silently replace the first.
  std::set<double> position, rotation, scale;
  for (std::size_t i = 0; i < json.Size(); ++i) {
    JsonView k = json[i];
    TransformKey key = ReadKey(k);
    auto once = [&](std::set<double>& seen, bool has, const char* part) {
      if (has && !seen.insert(key.frame).second)
        k["frame"].Fail("frame " + k["frame"].Value().dump() + " keys the " + part + " twice");
    };
    once(position, key.position.has_value(), "position");
    once(rotation, key.rotation.has_value(), "rotation");
    once(scale, key.scale.has_value(), "scale");
    keys.push_back(key);
  }
  std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.frame < b.frame; });
  return keys;
}

ObjectOffset ReadOffset(const JsonView& json) {
  json.AllowOnly({"position", "rotation", "scale"});
  ObjectOffset o;
  o.position = json.Point("position", o.position);
  if (json.Has("rotation")) o.rotation = ReadRotation(json["rotation"]);
  if (json.Has("scale")) o.scale = ReadScale(json["scale"]);
  return o;
}

std::string ReadType(const JsonView& json) {
  json.RequireObject();
  std::string type = json["type"].AsString();
  return type;
}

void ReadNode(const JsonView& json, SceneDescription& scene, NodeSpec& node) {
  json.AllowOnly({"name", "parent", "position", "rotation", "scale", "keys", "objectOffset", "wireColor", "object",
                  "modifiers"});
  if (json.Has("parent")) {
    JsonView parent = json["parent"];
    node.parent = parent.AsString();
    if (node.parent == node.name) parent.Fail("a node cannot be its own parent");
    node.parentIndex = scene.NodeIndex(node.parent);
    if (node.parentIndex < 0) parent.Fail("unknown node \"" + node.parent + "\"");
  }
  node.position = json.Point("position", node.position);
  if (json.Has("rotation")) node.rotation = ReadRotation(json["rotation"]);
  if (json.Has("scale")) node.scale = ReadScale(json["scale"]);
  if (json.Has("keys")) node.keys = ReadKeys(json["keys"]);
  if (json.Has("objectOffset")) node.offset = ReadOffset(json["objectOffset"]);
  if (json.Has("wireColor")) node.wireColor = json["wireColor"].AsColor();

  const SceneClassRegistry& classes = SceneClasses();
  ClassReadContext ctx{scene, node};
  if (json.Has("object")) {
    JsonView object = json["object"];
    std::string type = ReadType(object);
    const ObjectReader* reader = classes.FindObject(type);
    if (!reader) object["type"].Fail("unknown object type \"" + type + "\" (known: " + classes.ObjectTypes() + ")");
    node.object = (*reader)(object, ctx);
  }
  if (json.Has("modifiers")) {
    JsonView list = json["modifiers"];
    list.RequireArray();
    if (list.Size() > 0 && !node.object) list.Fail("modifiers need an object on the node");
    for (std::size_t i = 0; i < list.Size(); ++i) {
      JsonView m = list[i];
      std::string type = ReadType(m);
      const ModifierReader* reader = classes.FindModifier(type);
      if (!reader) m["type"].Fail("unknown modifier type \"" + type + "\" (known: " + classes.ModifierTypes() + ")");
      node.modifiers.push_back((*reader)(m, ctx));
    }
  }
}

// A parent chain that comes back to where it started cannot be built. Each node is walked
// over once: a walk stops at a node already known to reach the root.
void CheckHierarchy(const JsonView& nodes, const SceneDescription& scene) {
  enum : std::uint8_t { kUnknown, kOnWalk, kReachesRoot };
  std::vector<std::uint8_t> state(scene.nodes.size(), kUnknown);
  std::vector<int> walk;
  for (std::size_t i = 0; i < scene.nodes.size(); ++i) {
    walk.clear();
    int p = static_cast<int>(i);
    while (p >= 0 && state[p] == kUnknown) {
      state[p] = kOnWalk;
      walk.push_back(p);
      p = scene.nodes[p].parentIndex;
    }
    if (p >= 0 && state[p] == kOnWalk)
      nodes[i]["parent"].Fail("the parent chain of \"" + scene.nodes[i].name + "\" loops");
    for (int w : walk) state[w] = kReachesRoot;
  }
}

void ReadScene(const JsonView& root, SceneDescription& scene) {
  root.AllowOnly({"format", "version", "frameRate", "time", "frames", "nodes"});
  if (root.Has("format") && root["format"].AsString() != "tessarin-scene")
    root["format"].Fail("must be \"tessarin-scene\"");
  if (root.Has("version")) root["version"].AsInteger(1, 1);
  scene.frameRate = static_cast<int>(root.Integer("frameRate", 30, 1, 4800));
  scene.time = root.Number("time", 0.0, -kMaxFrame, kMaxFrame);
  if (root.Has("frames")) {
    JsonView frames = root["frames"];
    if (!frames.Value().is_array() || frames.Size() != 2) frames.Fail("must be [first, last]");
    int a = static_cast<int>(frames[0].AsInteger(-100000, 100000));
    int b = static_cast<int>(frames[1].AsInteger(-100000, 100000));
    if (b < a) frames.Fail("the last frame comes before the first");
    scene.frames = std::make_pair(a, b);
  }
  JsonView nodes = root["nodes"];
  nodes.RequireArray();
  // Names first, so that parents and bones may be named before they are described.
  scene.nodes.resize(nodes.Size());
  for (std::size_t i = 0; i < nodes.Size(); ++i) {
    JsonView n = nodes[i];
    n.RequireObject();
    JsonView name = n["name"];
    std::string text = name.AsString();
    if (text.empty()) name.Fail("a node name cannot be empty");
    auto [at, added] = scene.nodeIndex.emplace(text, static_cast<int>(i));
    if (!added) name.Fail("a node named \"" + text + "\" is already described at /nodes/" + std::to_string(at->second));
    scene.nodes[i].name = text;
    scene.nodes[i].pointer = n.Pointer();
  }
  for (std::size_t i = 0; i < nodes.Size(); ++i) ReadNode(nodes[i], scene, scene.nodes[i]);
  CheckHierarchy(nodes, scene);
}

}  // namespace

int SceneDescription::NodeIndex(const std::string& name) const {
  if (nodeIndex.size() != nodes.size()) {
    for (std::size_t i = 0; i < nodes.size(); ++i)
      if (nodes[i].name == name) return static_cast<int>(i);
    return -1;
  }
  auto it = nodeIndex.find(name);
  return it == nodeIndex.end() ? -1 : it->second;
}

void SceneDescription::IndexNodes() {
  nodeIndex.clear();
  for (std::size_t i = 0; i < nodes.size(); ++i) nodeIndex.emplace(nodes[i].name, static_cast<int>(i));
  for (NodeSpec& node : nodes) {
    auto it = node.parent.empty() ? nodeIndex.end() : nodeIndex.find(node.parent);
    node.parentIndex = it == nodeIndex.end() ? -1 : it->second;
  }
}

Quat ReadRotation(const JsonView& json) {
  const nlohmann::json& v = json.Value();
  if (v.is_array()) {
    Point3 e = json.AsPoint3();
    // x first, then y, then z: the product applies its right operand first.
    Quat qx = QFromAngAxis(Radians(e.x), Point3(1, 0, 0));
    Quat qy = QFromAngAxis(Radians(e.y), Point3(0, 1, 0));
    Quat qz = QFromAngAxis(Radians(e.z), Point3(0, 0, 1));
    return (qz * (qy * qx)).Normalize();
  }
  if (!v.is_object())
    json.Fail("must be [rx, ry, rz] in degrees, {\"axis\": [x, y, z], \"angle\": degrees} or {\"quaternion\": [x, y, z, w]}");
  if (json.Has("quaternion")) {
    json.AllowOnly({"quaternion"});
    JsonView q = json["quaternion"];
    if (!q.Value().is_array() || q.Size() != 4) q.Fail("must be [x, y, z, w]");
    Quat r(q[0].AsFloat(), q[1].AsFloat(), q[2].AsFloat(), q[3].AsFloat());
    if (!std::isfinite(QDot(r, r))) {
      // Components near the float limit: their squares overflow, so scale down first.
      const float big = std::max({std::fabs(r.x), std::fabs(r.y), std::fabs(r.z), std::fabs(r.w)});
      r = Quat(r.x / big, r.y / big, r.z / big, r.w / big);
    }
    if (QDot(r, r) < 1e-12f) q.Fail("must not be zero");
    return r.Normalize();
  }
  json.AllowOnly({"axis", "angle"});
  Point3 axis = json["axis"].AsPoint3();
  if (!std::isfinite(axis.LengthSquared())) axis = axis / std::max({std::fabs(axis.x), std::fabs(axis.y), std::fabs(axis.z)});
  if (axis.LengthSquared() < 1e-12f) json["axis"].Fail("must not be zero");
  return QFromAngAxis(Radians(json["angle"].AsNumber()), axis.Normalize());
}

Point3 ReadScale(const JsonView& json) {
  Point3 s = json.Value().is_number() ? Point3(json.AsFloat(), json.AsFloat(), json.AsFloat())
                                      : json.AsPoint3();
  if (s.x == 0.0f || s.y == 0.0f || s.z == 0.0f) json.Fail("a scale factor cannot be zero");
  return s;
}

bool ReadSceneJson(const nlohmann::json& document, const std::string& fileName,
                   const std::filesystem::path& directory, SceneDescription& out, SceneError& error) {
  out = SceneDescription();
  out.file = fileName;
  out.directory = directory;
  try {
    ReadScene(JsonView(document, "", out.file), out);
    return true;
  } catch (const SceneParseError& e) {
    error = e.Error();
  } catch (const std::bad_alloc&) {
    error = {fileName, "", "out of memory while reading the description's " + std::to_string(out.nodes.size()) + " nodes"};
  } catch (const std::exception& e) {
    // Anything else (a library error) still ends as a message, never a crash.
    error = {fileName, "", e.what()};
  }
  out = SceneDescription();
  return false;
}

bool ReadSceneText(const std::string& text, const std::string& fileName, const std::filesystem::path& directory,
                   SceneDescription& out, SceneError& error) {
  nlohmann::json document;
  try {
    PlacedDocumentParser parser(document);
    nlohmann::json::sax_parse(text, &parser, nlohmann::json::input_format_t::json, /*strict=*/true,
                              /*ignore_comments=*/true);
    if (parser.failed) {
      error = {fileName, LineAndColumn(text, parser.byte > 0 ? parser.byte - 1 : 0), ParseDetail(parser.what)};
      return false;
    }
  } catch (const std::bad_alloc&) {
    error = {fileName, "", "out of memory while parsing the description (" + std::to_string(text.size()) + " bytes)"};
    return false;
  }
  return ReadSceneJson(document, fileName, directory, out, error);
}

bool ReadSceneFile(const std::filesystem::path& path, SceneDescription& out, SceneError& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    error = {path.string(), "", "is a directory, not a scene description"};
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = {path.string(), "", "cannot open the scene description"};
    return false;
  }
  std::string text;
  try {
    std::ostringstream whole;
    whole << in.rdbuf();
    text = std::move(whole).str();
  } catch (const std::bad_alloc&) {
    error = {path.string(), "", "out of memory while reading the file"};
    return false;
  }
  return ReadSceneText(text, path.string(), path.parent_path(), out, error);
}
