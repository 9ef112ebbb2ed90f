#include "cli/scene/skin_dump.h"

#include <charconv>
#include <cstdlib>
#include <sstream>

#include "cli/scene/mesh_snapshot.h"
#include "cli/scene/scene_builder.h"
#include "cli/scene/skin_access.h"
#include "cli/scene/skin_influences.h"
#include "cli/scene/source_dump.h"
#include "host/headless/headless_host.h"
#include "host/headless/utf8_text.h"
#include "host/sdk/iparamb2.h"

using json = nlohmann::ordered_json;

namespace {

// The shortest decimal that reads back as the same float (0.3, not 0.30000001192092896).
double Clean(float v) {
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text - 1, v);
  if (ec != std::errc()) return double(v);
  *end = '\0';
  return std::strtod(text, nullptr);
}

json Vec(const Point3& p) { return json::array({Clean(p.x), Clean(p.y), Clean(p.z)}); }

std::string Hex(unsigned colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  return text;
}

const char* KindName(int kind) {
  switch (kind) {
    case 1: return "box";
    case 2: return "link";
    case 3: return "boneObject";
    case 4: return "spline";
    default: return "unclassified";
  }
}

json ShapeJson(const BoneShape& s) {
  auto column = [&](int c) { return Point3(s.frame.m[0][c], s.frame.m[1][c], s.frame.m[2][c]); };
  return {{"center", Vec(column(3))},
          {"axes", json::array({Vec(column(0)), Vec(column(1)), Vec(column(2))})},
          {"radii", Vec(Point3(s.radius[0], s.radius[1], s.radius[2]))}};
}

std::string NameOf(INode* node) { return node ? WideToUtf8Text(node->GetName()) : std::string(); }

json Switches(Modifier* mod, TimeValue t) {
  json out = json::object();
  IParamBlock2* block = mod->GetParamBlock(0);
  ParamBlockDesc2* desc = block ? block->GetDesc() : nullptr;
  if (!desc) return out;
  for (const ParamDef& def : desc->paramdefs) {
    int value = 0;
    Interval valid = FOREVER;
    if (block->GetValue(def.ID, t, value, valid)) out[WideToUtf8Text(def.int_name)] = value != 0;
  }
  return out;
}

// The skin's state without its per-vertex sections (those are written as they are read).
json SkinHead(const SkinRef& skin, const DumpOptions& options, TimeValue t) {
  ISkinEditor& editor = *skin.editor;
  const BoneTable& table = editor.Table();
  const SkinSettings& settings = editor.Settings();
  json out;
  out["node"] = NameOf(skin.node);
  out["stackIndex"] = skin.stackIndex;
  out["switches"] = Switches(skin.modifier, t);
  out["settings"] = {{"minRadius", Clean(settings.minRadius)},
                     {"weightThreshold", Clean(settings.weightThreshold)},
                     {"selectedBoneColor", Hex(settings.selectedBoneColor)},
                     {"showWeights", settings.paintingColors != 0}};
  out["attached"] = table.IsAttached();
  out["attachFrame"] = table.IsAttached() ? json(TicksToFrame(table.attachTime, options.frameRate)) : json(nullptr);
  out["vertexCount"] = table.vertexCount;
  json bones = json::array();
  for (int i = 0; i < table.boneCount; ++i) {
    const BoneEntry& b = *table.bones[i];
    bones.push_back({{"index", i},
                     {"node", NameOf(b.node)},
                     {"kind", KindName(b.kind)},
                     {"kindCode", b.kind},
                     {"falloff", Clean(b.falloff)},
                     {"falloffDistance", Clean(b.falloffDistance)},
                     {"strength", Clean(b.strength)},
                     {"color", Hex(b.color)},
                     {"selected", (b.flags & kBoneSelectedFlag) != 0},
                     {"bindShape", ShapeJson(b.bindShape)},
                     {"splineCount", b.splineCount}});
  }
  out["bones"] = bones;
  return out;
}

// visit(row) for each vertex in order: its boneCount weights; none when the skin is not attached.
template <class Visit>
void ForEachWeightRow(const SkinRef& skin, Visit&& visit) {
  ISkinEditor& editor = *skin.editor;
  const BoneTable& table = editor.Table();
  if (!table.IsAttached()) return;
  for (int v = 0; v < table.vertexCount; ++v) {
    json row = json::array();
    for (int b = 0; b < table.boneCount; ++b) row.push_back(Clean(editor.WeightOf(b, v)));
    visit(row);
  }
}

// visit(row) for each vertex in order: its `top` strongest weights above 0, strongest first, as
// {"bone": node name, "index": bone index, "weight": w}; none when the skin is not attached.
template <class Visit>
void ForEachTopRow(const SkinRef& skin, int top, Visit&& visit) {
  ISkinEditor& editor = *skin.editor;
  const BoneTable& table = editor.Table();
  if (!table.IsAttached()) return;
  std::vector<float> weights(table.boneCount);
  for (int v = 0; v < table.vertexCount; ++v) {
    for (int b = 0; b < table.boneCount; ++b) weights[b] = editor.WeightOf(b, v);
    json row = json::array();
    for (const StrongWeight& e : TopWeights(weights.data(), table.boneCount, top))
      row.push_back({{"bone", NameOf(table.bones[e.bone]->node)}, {"index", e.bone}, {"weight", Clean(e.weight)}});
    visit(row);
  }
}

// visit(name, positions, error) for each skinned node, evaluated at t: the deformed world
// positions (one per vertex) or, when the node could not be evaluated, why.
template <class Visit>
void ForEachDeformedMesh(const std::vector<SkinRef>& skins, TimeValue t, Visit&& visit) {
  TheHost().SetTime(t);
  for (INode* node : SkinnedNodes(skins)) {
    MeshSnapshot snap;
    std::string why;
    if (TakeSnapshot(node, t, snap, &why, SnapshotParts::PositionsAndColors) &&
        (why = SkinFailureOn(node)).empty()) {
      visit(NameOf(node), snap.positions, std::string());
    } else {
      snap = MeshSnapshot();
      visit(NameOf(node), snap.positions, why);
    }
  }
}

// An object's compact text without its closing brace, so that members can follow.
std::string OpenObject(const json& object) {
  std::string text = object.dump();
  text.pop_back();
  return text;
}

// rows written as one JSON array; each(visit) calls visit(row) for every row.
template <class Each>
void WriteRows(std::ostream& out, Each&& each) {
  out << '[';
  const char* sep = "";
  each([&](const json& row) {
    out << sep << row.dump();
    sep = ",";
  });
  out << ']';
}

std::string Num(const json& v) { return v.is_null() ? "-" : v.dump(); }

std::string Triple(const json& v) {
  // Appended piece by piece: g++ 12 at -O3 misreads "(" + std::string&& as an overlapping copy.
  std::string text = "(";
  text += Num(v[0]);
  text += ", ";
  text += Num(v[1]);
  text += ", ";
  text += Num(v[2]);
  text += ')';
  return text;
}

void WriteJson(const DumpOptions& options, const std::vector<SkinRef>& skins, const json& head, TimeValue t,
               std::ostream& out) {
  out << OpenObject(head) << ",\"skins\":[";
  for (std::size_t i = 0; i < skins.size(); ++i) {
    const SkinRef& skin = skins[i];
    out << (i ? "," : "") << OpenObject(SkinHead(skin, options, t));
    if (options.weights) {
      out << ",\"weights\":";
      WriteRows(out, [&](auto&& visit) { ForEachWeightRow(skin, visit); });
    }
    if (options.top > 0) {
      out << ",\"topWeights\":";
      WriteRows(out, [&](auto&& visit) { ForEachTopRow(skin, options.top, visit); });
    }
    out << '}';
  }
  out << "],\"sources\":" << DumpSources(t).dump();
  if (options.positionsFrame) {
    out << ",\"deformed\":{\"frame\":" << json(*options.positionsFrame).dump() << ",\"meshes\":[";
    const char* sep = "";
    ForEachDeformedMesh(skins, t, [&](const std::string& name, const std::vector<Point3>& positions,
                                      const std::string& error) {
      out << sep << OpenObject(json{{"node", name}});
      sep = ",";
      if (!error.empty()) {
        out << ",\"error\":" << json(error).dump() << '}';
        return;
      }
      out << ",\"positions\":";
      WriteRows(out, [&](auto&& visit) {
        for (const Point3& p : positions) visit(Vec(p));
      });
      out << '}';
    });
    out << "]}";
  }
  out << "}\n";
}

void WriteText(const DumpOptions& options, const std::vector<SkinRef>& skins, TimeValue t, std::ostream& out) {
  out << "scene " << options.sceneFile << " at " << options.frameRate << " fps\n";
  if (skins.empty()) out << "no Tessarin modifier in the scene\n";
  for (const SkinRef& s : skins) {
    const json skin = SkinHead(s, options, t);
    out << "\nTessarin on \"" << skin["node"].get<std::string>() << "\" (stack index " << skin["stackIndex"] << ")\n";
    out << "  " << (skin["attached"].get<bool>() ? "attached at frame " + Num(skin["attachFrame"]) : "not attached")
        << ", " << skin["vertexCount"] << " vertices\n";
    out << "  switches:";
    for (const auto& [name, on] : skin["switches"].items()) out << ' ' << name << (on.get<bool>() ? "=on" : "=off");
    out << "\n  settings:";
    for (const auto& [name, value] : skin["settings"].items())
      out << ' ' << name << '=' << (value.is_string() ? value.get<std::string>() : value.dump());
    out << "\n  bones: " << skin["bones"].size() << '\n';
    for (const json& b : skin["bones"]) {
      out << "    " << b["index"] << " \"" << b["node"].get<std::string>() << "\" " << b["kind"].get<std::string>()
          << "  falloff " << Num(b["falloff"]) << "  falloffDistance " << Num(b["falloffDistance"]) << "  strength "
          << Num(b["strength"]) << "  colour " << b["color"].get<std::string>()
          << (b["selected"].get<bool>() ? "  selected" : "") << '\n';
      const json& shape = b["bindShape"];
      out << "      bind centre " << Triple(shape["center"]) << "  radii " << Triple(shape["radii"]) << '\n';
    }
    if (options.top > 0) {
      out << "  strongest weights (vertex: bone weight, ...):\n";
      int v = 0;
      ForEachTopRow(s, options.top, [&](const json& row) {
        out << "    " << v++ << ':';
        const char* sep = " ";
        for (const json& e : row) {
          out << sep << e["bone"].get<std::string>() << ' ' << Num(e["weight"]);
          sep = ", ";
        }
        out << '\n';
      });
    }
    if (options.weights) {
      out << "  weights (vertex: one per bone):\n";
      int v = 0;
      ForEachWeightRow(s, [&](const json& row) {
        out << "    " << v++ << ':';
        for (const json& w : row) out << ' ' << Num(w);
        out << '\n';
      });
    }
  }
  SourcesText(DumpSources(t), out);
  if (options.positionsFrame) {
    out << "\ndeformed world positions at frame " << Num(json(*options.positionsFrame)) << ":\n";
    ForEachDeformedMesh(skins, t, [&](const std::string& name, const std::vector<Point3>& positions,
                                      const std::string& error) {
      out << "  \"" << name << "\"\n";
      if (!error.empty()) {
        out << "    " << error << '\n';
        return;
      }
      int v = 0;
      for (const Point3& p : positions) out << "    " << v++ << ": " << Triple(Vec(p)) << '\n';
    });
  }
}

}  // namespace

void WriteDump(const DumpOptions& options, bool asJson, std::ostream& out) {
  const TimeValue t = FrameToTicks(options.positionsFrame.value_or(options.sceneFrame), options.frameRate);
  const std::vector<SkinRef> skins = FindSkins();
  if (!asJson) {
    WriteText(options, skins, t, out);
    return;
  }
  json head;
  head["format"] = "tessarin-dump";
  head["version"] = 1;
  head["scene"] = options.sceneFile;
  head["frameRate"] = options.frameRate;
  head["sceneFrame"] = options.sceneFrame;
  WriteJson(options, skins, head, t, out);
}
