// The "Tessarin" modifier of a description: its switches, settings and bones. Building assigns
// the bones as a user does before attaching, then attaches at the scene's current time.

#include <algorithm>
#include <limits>
#include <set>

#include "cli/scene/scene_builder.h"
#include "cli/scene/scene_classes.h"
#include "cli/scene/skin_access.h"
#include "host/headless/headless_host.h"
#include "host/queries/scene_queries.h"
#include "host/sdk/iparamb2.h"
#include "host/sdk/ref_container.h"
#include "host/sdk/object.h"
#include "module/registry/class_ids.h"

namespace {

struct BoneSpec {
  std::string node;
  std::string pointer;
  float falloff = 1.0f;
  float strength = 1.0f;
  bool selected = false;             // weight colours show this bone's weights
  std::vector<std::uint8_t> codes;   // empty or one per vertex
  std::vector<float> forcedWeights;  // empty or one per vertex
};

struct SettingsSpec {
  std::optional<float> minRadius;
  std::optional<float> weightThreshold;
  std::optional<unsigned> selectedBoneColor;
  std::optional<bool> showWeights;
};

class TessarinSpec : public ModifierSpec {
public:
  using ModifierSpec::ModifierSpec;

  std::vector<std::pair<std::string, bool>> switches;
  SettingsSpec settings;
  std::vector<BoneSpec> bones;
  std::vector<float> blendMix;  // empty or one per vertex
  std::optional<float> blendMixAll;
  std::vector<std::pair<std::string, std::string>> sources;  // (node name, JSON pointer), in order

  Modifier* Create(BuildContext& ctx) const override {
    // Plug-in objects come from their class descriptor only.
    auto* mod = static_cast<Modifier*>(TheHost().CreateInstance(OSM_CLASS_ID, TESSARIN_CLASS_ID));
    if (!mod) ctx.Fail(Pointer(), "the Tessarin class is not available: the plug-in module is not loaded");
    return mod;
  }

  void Finish(BuildContext& ctx, INode& node, Modifier& mod) const override {
    ISkinEditor* editor = SkinEditorOf(&mod);
    if (!editor) ctx.Fail(Pointer(), "the loaded Tessarin class offers no editing interface");
    SetSwitches(ctx, mod);
    ListSources(ctx, mod);

    SkinSettings s = editor->Settings();
    if (settings.minRadius) s.minRadius = *settings.minRadius;
    if (settings.weightThreshold) s.weightThreshold = *settings.weightThreshold;
    if (settings.selectedBoneColor) s.selectedBoneColor = *settings.selectedBoneColor;
    if (settings.showWeights) s.paintingColors = *settings.showWeights ? 1 : 0;
    editor->SetSettings(s);

    if (bones.empty()) return;  // nothing to attach: the skin passes the mesh through
    std::vector<SkinBoneAssignment> assignments;
    for (const BoneSpec& b : bones) {
      SkinBoneAssignment a;
      a.node = ctx.Node(b.node);
      a.falloff = b.falloff;
      a.strength = b.strength;
      a.codes = b.codes;
      a.forcedWeights = b.forcedWeights;
      assignments.push_back(std::move(a));
    }
    int refused = editor->AssignBones(assignments);
    if (refused >= 0)
      ctx.Fail(bones[refused].pointer + "/node",
               "node \"" + bones[refused].node +
                   "\" cannot serve as a bone: its object must be geometry, a helper, a spline, a bone object "
                   "or a legacy bone linked to a legacy bone parent");
    if (!editor->Attach(&node)) ctx.Fail(Pointer(), "the skin could not be attached (the skin's message says why)");
    std::vector<bool> selected;
    for (const BoneSpec& b : bones) selected.push_back(b.selected);
    if (std::find(selected.begin(), selected.end(), true) != selected.end() && !editor->SelectBones(selected))
      ctx.Fail(Pointer() + "/bones", "the skin refused the bone selection");

    if (blendMixAll || !blendMix.empty()) {
      std::vector<float> mix = blendMix;
      if (blendMixAll) mix.assign(editor->Table().blendMix.size(), *blendMixAll);
      if (!editor->SetBlendMix(mix))
        ctx.Fail(Pointer() + "/blendMix", "has " + std::to_string(mix.size()) + " values, the attached mesh " +
                                              std::to_string(editor->Table().vertexCount) + " vertices");
    }
  }

private:
  // The listed influence sources go into the skin's source container (reference 1), as a user
  // adds them; the bones' children are found by the skin itself when use_linked is on.
  void ListSources(BuildContext& ctx, Modifier& mod) const {
    if (sources.empty()) return;
    auto* container = dynamic_cast<IRefTargContainer*>(mod.GetReference(1));
    if (!container) ctx.Fail(Pointer() + "/sources", "the loaded Tessarin class has no source list");
    for (const auto& [name, pointer] : sources) {
      INode* node = ctx.Node(name);
      Object* object = node->GetObjectRef();
      const bool orbicle = object && object->ClassID() == ORBICLE_CLASS_ID;
      if (!orbicle && !FindModifierOnNode(node, FLUXEL_CLASS_ID))
        ctx.Fail(pointer, "node \"" + name + "\" is no influence source: it needs an Orbicle object or a Fluxel modifier");
      container->AppendItem(node);
    }
  }

  void SetSwitches(BuildContext& ctx, Modifier& mod) const {
    IParamBlock2* block = mod.GetParamBlock(0);
    ParamBlockDesc2* desc = block ? block->GetDesc() : nullptr;
    for (const auto& [name, on] : switches) {
      std::wstring wide(name.begin(), name.end());
      const ParamDef* def = desc ? desc->GetParamDefByName(wide) : nullptr;
      if (!def || !block->SetValue(def->ID, 0, on ? 1 : 0))
        ctx.Fail(Pointer() + "/switches/" + name, "the skin refused the switch");
    }
  }
};

constexpr const char* kSwitchNames[] = {"use_inertia",  "use_oscillation",     "use_stack", "use_orbicles",
                                        "use_fluxels", "use_dual_quaternion", "use_linked"};

void ReadSwitches(const JsonView& json, TessarinSpec& parsed) {
  json.RequireObject();
  for (const auto& [key, value] : json.Value().items()) {
    (void)value;
    JsonView item = json[key.c_str()];
    bool known = false;
    for (const char* n : kSwitchNames) known = known || key == n;
    if (!known) {
      std::string list;
      for (const char* n : kSwitchNames) list += (list.empty() ? "" : ", ") + std::string(n);
      item.Fail("unknown switch \"" + key + "\" (expected one of: " + list + ")");
    }
    parsed.switches.emplace_back(key, item.AsBool());
  }
}

void ReadSettings(const JsonView& json, SettingsSpec& s) {
  json.AllowOnly({"minRadius", "weightThreshold", "selectedBoneColor", "showWeights"});
  if (json.Has("minRadius")) s.minRadius = float(json["minRadius"].AsNumber(1e-9, 1e9));
  if (json.Has("weightThreshold")) s.weightThreshold = float(json["weightThreshold"].AsNumber(0.0, 100.0));
  if (json.Has("selectedBoneColor")) s.selectedBoneColor = json["selectedBoneColor"].AsColor();
  if (json.Has("showWeights")) s.showWeights = json["showWeights"].AsBool();
}

// Per-vertex values: an array of one per vertex, or an object of "vertex index": value.
template <class T, class Read>
void ReadPerVertex(const JsonView& json, int vertexCount, std::vector<T>& out, T fallback, Read read) {
  if (json.Value().is_array()) {
    if (json.Size() != std::size_t(vertexCount))
      json.Fail("has " + std::to_string(json.Size()) + " values, the mesh " + std::to_string(vertexCount) +
                " vertices");
    out.resize(vertexCount);
    for (int v = 0; v < vertexCount; ++v) out[v] = read(json[std::size_t(v)]);
    return;
  }
  if (!json.Value().is_object())
    json.Fail("must be an array of one value per vertex or an object {\"vertex index\": value}");
  if (out.empty()) out.assign(vertexCount, fallback);
  for (const auto& [key, value] : json.Value().items()) {
    (void)value;
    JsonView item = json[key.c_str()];
    int v = -1;
    try {
      std::size_t used = 0;
      v = std::stoi(key, &used);
      if (used != key.size()) v = -1;
    } catch (const std::exception&) {
      v = -1;
    }
    if (v < 0 || v >= vertexCount)
      item.Fail("\"" + key + "\" is not a vertex index of the mesh (0 to " + std::to_string(vertexCount - 1) + ")");
    out[v] = read(item);
  }
}

BoneSpec ReadBoneSpec(const JsonView& json, const ClassReadContext& ctx, std::optional<int> vertexCount) {
  json.AllowOnly({"node", "falloff", "strength", "selected", "codes", "forcedWeights", "forced", "exclude"});
  BoneSpec b;
  b.pointer = json.Pointer();
  JsonView node = json["node"];
  b.node = node.AsString();
  if (ctx.scene.NodeIndex(b.node) < 0) node.Fail("unknown node \"" + b.node + "\": a bone must name a node");
  if (b.node == ctx.node.name) node.Fail("a skin cannot use its own node as a bone");
  b.falloff = float(json.Number("falloff", 1.0, 0.0, 1e9));
  b.strength = float(json.Number("strength", 1.0, -1e9, 1e9));
  b.selected = json.Bool("selected", false);
  const bool perVertex = json.Has("codes") || json.Has("forcedWeights") || json.Has("forced") || json.Has("exclude");
  if (!perVertex) return b;
  if (!vertexCount) json.Fail("per-vertex data needs a mesh object on the node");
  const int n = *vertexCount;
  auto code = [](const JsonView& v) { return std::uint8_t(v.AsInteger(0, 255)); };
  auto percent = [](const JsonView& v) { return float(v.AsNumber(0.0, 100.0)); };
  if (json.Has("codes")) ReadPerVertex<std::uint8_t>(json["codes"], n, b.codes, 0x80, code);
  if (json.Has("forcedWeights")) ReadPerVertex<float>(json["forcedWeights"], n, b.forcedWeights, 0.0f, percent);
  if (json.Has("forced")) {
    // Shorthand: these vertices take a forced weight (code 254).
    JsonView forced = json["forced"];
    if (!forced.Value().is_object()) forced.Fail("must be an object {\"vertex index\": percent}");
    std::vector<float> values;
    ReadPerVertex<float>(forced, n, values, -1.0f, percent);
    if (b.codes.empty()) b.codes.assign(n, 0x80);
    if (b.forcedWeights.empty()) b.forcedWeights.assign(n, 0.0f);
    for (int v = 0; v < n; ++v) {
      if (values[v] < 0.0f) continue;
      b.codes[v] = 0xFE;
      b.forcedWeights[v] = values[v];
    }
  }
  if (json.Has("exclude")) {
    JsonView exclude = json["exclude"];
    exclude.RequireArray();
    if (b.codes.empty()) b.codes.assign(n, 0x80);
    for (std::size_t i = 0; i < exclude.Size(); ++i) {
      int v = static_cast<int>(exclude[i].AsInteger(0, n - 1));
      b.codes[v] &= 0x7F;
    }
  }
  return b;
}

std::unique_ptr<ModifierSpec> ReadTessarin(const JsonView& json, const ClassReadContext& ctx) {
  json.AllowOnly({"type", "switches", "settings", "bones", "blendMix", "sources"});
  auto parsed = std::make_unique<TessarinSpec>(json.Pointer());
  std::optional<int> vertexCount = ctx.node.object ? ctx.node.object->VertexCount() : std::nullopt;
  if (!vertexCount) json.Fail("a Tessarin modifier needs a mesh object on its node");
  if (json.Has("switches")) ReadSwitches(json["switches"], *parsed);
  if (json.Has("settings")) ReadSettings(json["settings"], parsed->settings);
  if (json.Has("bones")) {
    JsonView bones = json["bones"];
    bones.RequireArray();
    std::map<std::string, std::size_t> seen;
    for (std::size_t i = 0; i < bones.Size(); ++i) {
      BoneSpec b = ReadBoneSpec(bones[i], ctx, vertexCount);
      auto [it, added] = seen.emplace(b.node, i);
      if (!added)
        bones[i]["node"].Fail("node \"" + b.node + "\" is already bone " + std::to_string(it->second));
      parsed->bones.push_back(std::move(b));
    }
  }
  if (json.Has("sources")) {
    JsonView sources = json["sources"];
    sources.RequireArray();
    for (std::size_t i = 0; i < sources.Size(); ++i) {
      JsonView item = sources[i];
      std::string name = item.AsString();
      if (ctx.scene.NodeIndex(name) < 0) item.Fail("unknown node \"" + name + "\"");
      for (const auto& listed : parsed->sources)
        if (listed.first == name) item.Fail("node \"" + name + "\" is listed twice");
      parsed->sources.emplace_back(name, item.Pointer());
    }
  }
  if (json.Has("blendMix")) {
    JsonView mix = json["blendMix"];
    if (mix.Value().is_number()) parsed->blendMixAll = float(mix.AsNumber(0.0, 1.0));
    else ReadPerVertex<float>(mix, *vertexCount, parsed->blendMix, 1.0f, [](const JsonView& v) {
      return float(v.AsNumber(0.0, 1.0));
    });
  }
  return parsed;
}

}  // namespace

void RegisterTessarinModifier(SceneClassRegistry& registry) { registry.AddModifier("Tessarin", ReadTessarin); }
