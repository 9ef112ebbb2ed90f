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

json SkinJson(const SkinRef& skin, const DumpOptions& options, TimeValue t) {
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
  if (options.weights) {
    // vertexCount rows of boneCount weights; empty when the skin is not attached.
    json rows = json::array();
    if (table.IsAttached()) {
      for (int v = 0; v < table.vertexCount; ++v) {
        json row = json::array();
        for (int b = 0; b < table.boneCount; ++b) row.push_back(Clean(editor.WeightOf(b, v)));
        rows.push_back(row);
      }
    }
    out["weights"] = rows;
  }
  if (options.top > 0) {
    // Per vertex, strongest first: {"bone": node name, "index": bone index, "weight": w}; only
    // weights above 0.
    json rows = json::array();
    if (table.IsAttached()) {
      std::vector<float> row(table.boneCount);
      for (int v = 0; v < table.vertexCount; ++v) {
        for (int b = 0; b < table.boneCount; ++b) row[b] = editor.WeightOf(b, v);
        json entries = json::array();
        for (const StrongWeight& e : TopWeights(row.data(), table.boneCount, options.top))
          entries.push_back({{"bone", NameOf(table.bones[e.bone]->node)}, {"index", e.bone}, {"weight", Clean(e.weight)}});
        rows.push_back(entries);
      }
    }
    out["topWeights"] = rows;
  }
  return out;
}

}  // namespace

json DumpSkins(const DumpOptions& options) {
  const TimeValue t = FrameToTicks(options.positionsFrame.value_or(options.sceneFrame), options.frameRate);
  std::vector<SkinRef> skins = FindSkins();
  json doc;
  doc["format"] = "tessarin-dump";
  doc["version"] = 1;
  doc["scene"] = options.sceneFile;
  doc["frameRate"] = options.frameRate;
  doc["sceneFrame"] = options.sceneFrame;
  json list = json::array();
  for (const SkinRef& s : skins) list.push_back(SkinJson(s, options, t));
  doc["skins"] = list;
  doc["sources"] = DumpSources(t);
  if (options.positionsFrame) {
    TheHost().SetTime(t);
    json meshes = json::array();
    for (INode* node : SkinnedNodes(skins)) {
      MeshSnapshot snap;
      std::string why;
      json entry = {{"node", NameOf(node)}};
      if (TakeSnapshot(node, t, snap, &why) && (why = SkinFailureOn(node)).empty()) {
        json positions = json::array();
        for (const Point3& p : snap.positions) positions.push_back(Vec(p));
        entry["positions"] = positions;
      } else {
        entry["error"] = why;
      }
      meshes.push_back(entry);
    }
    doc["deformed"] = {{"frame", *options.positionsFrame}, {"meshes", meshes}};
  }
  return doc;
}

namespace {

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

}  // namespace

std::string DumpText(const json& dump) {
  std::ostringstream out;
  out << "scene " << dump["scene"].get<std::string>() << " at " << dump["frameRate"].get<int>() << " fps\n";
  if (dump["skins"].empty()) out << "no Tessarin modifier in the scene\n";
  for (const json& skin : dump["skins"]) {
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
    if (skin.contains("topWeights")) {
      out << "  strongest weights (vertex: bone weight, ...):\n";
      int v = 0;
      for (const json& row : skin["topWeights"]) {
        out << "    " << v++ << ':';
        const char* sep = " ";
        for (const json& e : row) {
          out << sep << e["bone"].get<std::string>() << ' ' << Num(e["weight"]);
          sep = ", ";
        }
        out << '\n';
      }
    }
    if (skin.contains("weights")) {
      out << "  weights (vertex: one per bone):\n";
      int v = 0;
      for (const json& row : skin["weights"]) {
        out << "    " << v++ << ':';
        for (const json& w : row) out << ' ' << Num(w);
        out << '\n';
      }
    }
  }
  if (dump.contains("sources")) SourcesText(dump["sources"], out);
  if (dump.contains("deformed")) {
    out << "\ndeformed world positions at frame " << Num(dump["deformed"]["frame"]) << ":\n";
    for (const json& mesh : dump["deformed"]["meshes"]) {
      out << "  \"" << mesh["node"].get<std::string>() << "\"\n";
      if (mesh.contains("error")) {
        out << "    " << mesh["error"].get<std::string>() << '\n';
        continue;
      }
      int v = 0;
      for (const json& p : mesh["positions"]) out << "    " << v++ << ": " << Triple(p) << '\n';
    }
  }
  return out.str();
}
