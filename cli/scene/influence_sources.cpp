// The influence sources of a description: "Orbicle" objects and "Fluxel" modifiers, with their
// settings and optional influence tables, one per skin they act on. Building sets the values as
// the program's own (they pass no validator) and writes the tables through the sources' internal
// editing interface, keyed by the skins that exist once every node is built.

#include <map>

#include "cli/scene/scene_builder.h"
#include "cli/scene/scene_classes.h"
#include "cli/scene/skin_access.h"
#include "host/headless/headless_host.h"
#include "host/sdk/iparamb2.h"
#include "host/sdk/object.h"
#include "module/registry/class_ids.h"
#include "sources/influence_table_editor.h"

namespace {

// One influence table of a description: the skin it is for and its values, either one per
// vertex of the skin's mesh or some vertices by index (the others full, 1).
struct TableSpec {
  std::string pointer;
  std::string skin;                // the skin's node
  std::optional<int> stackIndex;   // which skin of that node (the dump's stack index)
  std::vector<float> values;       // one per vertex, or empty
  std::map<int, float> byVertex;   // vertex index → value, when values is empty
};

// A parameter value set by name: a number (float or integer parameters) or a switch.
struct ParamValue {
  std::string name;
  std::string pointer;
  double number = 0.0;
  bool isSwitch = false;
};

constexpr const char* kDirections[] = {"omni", "forward", "backward", "left", "right", "up", "down"};

// "direction": a name or its code 0 .. 6.
int ReadDirection(const JsonView& json) {
  if (json.Value().is_string()) {
    const std::string name = json.AsString();
    for (int i = 0; i < 7; ++i)
      if (name == kDirections[i]) return i;
    json.Fail("unknown direction \"" + name + "\" (expected omni, forward, backward, left, right, up or down)");
  }
  return static_cast<int>(json.AsInteger(0, 6));
}

TableSpec ReadTable(const JsonView& json, const ClassReadContext& ctx) {
  json.AllowOnly({"skin", "stackIndex", "values"});
  TableSpec t;
  t.pointer = json.Pointer();
  JsonView skin = json["skin"];
  t.skin = skin.AsString();
  if (ctx.scene.NodeIndex(t.skin) < 0) skin.Fail("unknown node \"" + t.skin + "\": a table names a skinned node");
  if (json.Has("stackIndex")) t.stackIndex = static_cast<int>(json["stackIndex"].AsInteger(0, 1000000));
  JsonView values = json["values"];
  auto value = [](const JsonView& v) { return static_cast<float>(v.AsNumber(0.0, 1.0)); };
  if (values.Value().is_array()) {
    for (std::size_t i = 0; i < values.Size(); ++i) t.values.push_back(value(values[int(i)]));
    if (t.values.empty()) values.Fail("an influence table needs a value per vertex");
    return t;
  }
  if (!values.Value().is_object())
    values.Fail("must be an array of one value per vertex or an object {\"vertex index\": value}");
  for (const auto& [key, item] : values.Value().items()) {
    (void)item;
    JsonView v = values[key.c_str()];
    int index = -1;
    try {
      std::size_t used = 0;
      index = std::stoi(key, &used);
      if (used != key.size()) index = -1;
    } catch (const std::exception&) {
      index = -1;
    }
    if (index < 0) v.Fail("\"" + key + "\" is not a vertex index");
    t.byVertex[index] = value(v);
  }
  return t;
}

std::vector<TableSpec> ReadTables(const JsonView& json, const ClassReadContext& ctx) {
  json.RequireArray();
  std::vector<TableSpec> tables;
  for (std::size_t i = 0; i < json.Size(); ++i) tables.push_back(ReadTable(json[int(i)], ctx));
  return tables;
}

// What both sources share: their parameters by name and their tables.
class SourceSettings {
public:
  std::vector<ParamValue> params;
  std::vector<TableSpec> tables;

  void Number(const JsonView& json, const char* key, double min, double max) {
    if (json.Has(key)) params.push_back({key, json[key].Pointer(), json[key].AsNumber(min, max), false});
  }
  void Integer(const JsonView& json, const char* key, long long min, long long max) {
    if (json.Has(key)) params.push_back({key, json[key].Pointer(), double(json[key].AsInteger(min, max)), false});
  }
  void Switch(const JsonView& json, const char* key) {
    if (json.Has(key)) params.push_back({key, json[key].Pointer(), json[key].AsBool() ? 1.0 : 0.0, true});
  }
  void Direction(const JsonView& json) {
    if (!json.Has("direction")) return;
    JsonView d = json["direction"];
    params.push_back({"direction", d.Pointer(), double(ReadDirection(d)), false});
  }

  // Sets every parameter at time 0, as the program's own values.
  void Apply(BuildContext& ctx, Animatable& source) const {
    IParamBlock2* block = source.GetParamBlock(0);
    ParamBlockDesc2* desc = block ? block->GetDesc() : nullptr;
    for (const ParamValue& p : params) {
      const ParamDef* def = desc ? desc->GetParamDefByName(std::wstring(p.name.begin(), p.name.end())) : nullptr;
      BOOL ok = FALSE;
      if (def && def->type == TYPE_FLOAT) ok = block->SetValue(def->ID, 0, static_cast<float>(p.number));
      else if (def) ok = block->SetValue(def->ID, 0, static_cast<int>(p.number));
      if (!ok) ctx.Fail(p.pointer, "the source refused the value");
    }
  }

  // Writes each table for its skin, checked against the skin's mesh.
  void WriteTables(BuildContext& ctx, Animatable& source) const {
    if (tables.empty()) return;
    BaseInterface* found = source.GetInterface(INFLUENCE_TABLE_EDITOR_INTERFACE_ID);
    if (!found || found->GetID() != INFLUENCE_TABLE_EDITOR_INTERFACE_ID)
      ctx.Fail(tables.front().pointer, "the loaded source class offers no table editing interface");
    auto* editor = static_cast<IInfluenceTableEditor*>(found);
    const std::vector<SkinRef> skins = FindSkins();
    for (const TableSpec& t : tables) {
      const SkinRef* skin = nullptr;
      for (const SkinRef& s : skins)
        if (s.node == ctx.Node(t.skin) && (!t.stackIndex || s.stackIndex == *t.stackIndex)) {
          skin = &s;
          break;
        }
      if (!skin)
        ctx.Fail(t.pointer + "/skin", "node \"" + t.skin + "\" carries no Tessarin modifier" +
                                          (t.stackIndex ? " at stack index " + std::to_string(*t.stackIndex) : ""));
      const NodeSpec& node = ctx.Scene().nodes[ctx.Scene().NodeIndex(t.skin)];
      const int n = node.object ? node.object->VertexCount().value_or(0) : 0;
      std::vector<float> values = t.values;
      if (values.empty()) {
        values.assign(n, 1.0f);
        for (const auto& [v, value] : t.byVertex) {
          if (v >= n)
            ctx.Fail(t.pointer + "/values/" + std::to_string(v),
                     "is not a vertex index of the skin's mesh (0 to " + std::to_string(n - 1) + ")");
          values[v] = value;
        }
      } else if (static_cast<int>(values.size()) != n) {
        ctx.Fail(t.pointer + "/values", "has " + std::to_string(values.size()) + " values, the skin's mesh " +
                                            std::to_string(n) + " vertices");
      }
      if (!editor->SetTable(skin->modifier, std::move(values))) ctx.Fail(t.pointer, "the source refused the table");
    }
  }
};

class OrbicleSpec : public ObjectSpec {
public:
  explicit OrbicleSpec(std::string pointer) : pointer_(std::move(pointer)) {}
  SourceSettings settings;

  Object* Create(BuildContext& ctx) const override {
    // Plug-in objects come from their class descriptor only.
    auto* obj = static_cast<Object*>(TheHost().CreateInstance(GEOMOBJECT_CLASS_ID, ORBICLE_CLASS_ID));
    if (!obj) ctx.Fail(pointer_, "the Orbicle class is not available: the plug-in module is not loaded");
    settings.Apply(ctx, *obj);
    return obj;
  }
  void Finish(BuildContext& ctx, INode& node, Object& object) const override {
    (void)node;
    settings.WriteTables(ctx, object);
  }

private:
  std::string pointer_;
};

class FluxelSpec : public ModifierSpec {
public:
  using ModifierSpec::ModifierSpec;
  SourceSettings settings;

  bool WorldSpace() const override { return true; }
  Modifier* Create(BuildContext& ctx) const override {
    auto* mod = static_cast<Modifier*>(TheHost().CreateInstance(WSM_CLASS_ID, FLUXEL_CLASS_ID));
    if (!mod) ctx.Fail(Pointer(), "the Fluxel class is not available: the plug-in module is not loaded");
    settings.Apply(ctx, *mod);
    return mod;
  }
  void Finish(BuildContext& ctx, INode& node, Modifier& modifier) const override {
    (void)node;
    settings.WriteTables(ctx, modifier);
  }
};

std::unique_ptr<ObjectSpec> ReadOrbicle(const JsonView& json, const ClassReadContext& ctx) {
  json.AllowOnly({"type", "length", "width", "height", "segments", "blend", "direction", "disabled", "renderable",
                  "influence"});
  auto parsed = std::make_unique<OrbicleSpec>(json.Pointer());
  SourceSettings& s = parsed->settings;
  for (const char* size : {"length", "width", "height"}) s.Number(json, size, 0.0001, 1000000.0);
  s.Integer(json, "segments", 4, 200);
  s.Integer(json, "blend", 0, 100);
  s.Direction(json);
  s.Switch(json, "disabled");
  s.Switch(json, "renderable");
  if (json.Has("influence")) s.tables = ReadTables(json["influence"], ctx);
  return parsed;
}

std::unique_ptr<ModifierSpec> ReadFluxel(const JsonView& json, const ClassReadContext& ctx) {
  json.AllowOnly({"type", "origin", "blend", "direction", "disabled", "influence"});
  if (!ctx.node.object || !ctx.node.object->VertexCount())
    json.Fail("a Fluxel modifier needs a mesh object on its node: the mesh is the collision surface");
  auto parsed = std::make_unique<FluxelSpec>(json.Pointer());
  SourceSettings& s = parsed->settings;
  s.Switch(json, "origin");
  s.Integer(json, "blend", 0, 100);
  s.Direction(json);
  s.Switch(json, "disabled");
  if (json.Has("influence")) s.tables = ReadTables(json["influence"], ctx);
  return parsed;
}

}  // namespace

void RegisterInfluenceSources(SceneClassRegistry& registry) {
  registry.AddObject("Orbicle", ReadOrbicle);
  registry.AddModifier("Fluxel", ReadFluxel);
}
