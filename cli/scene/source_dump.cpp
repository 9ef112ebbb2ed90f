#include "cli/scene/source_dump.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "cli/scene/skin_access.h"
#include "host/headless/headless_host.h"
#include "host/headless/utf8_text.h"
#include "host/queries/scene_queries.h"
#include "host/sdk/iparamb2.h"
#include "module/registry/class_ids.h"
#include "sources/influence_table_editor.h"

using json = nlohmann::ordered_json;

namespace {

// The shortest decimal that reads back as the same float.
double Clean(float v) {
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text - 1, v);
  if (ec != std::errc()) return double(v);
  *end = '\0';
  return std::strtod(text, nullptr);
}

std::string StampText(std::uint64_t stamp) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(stamp));
  return text;
}

json Parameters(Animatable* source, TimeValue t) {
  json out = json::object();
  IParamBlock2* block = source->GetParamBlock(0);
  ParamBlockDesc2* desc = block ? block->GetDesc() : nullptr;
  if (!desc) return out;
  for (const ParamDef& def : desc->paramdefs) {
    Interval valid = FOREVER;
    const std::string name = WideToUtf8Text(def.int_name);
    if (def.type == TYPE_FLOAT) {
      float v = 0.0f;
      if (block->GetValue(def.ID, t, v, valid)) out[name] = Clean(v);
    } else {
      int v = 0;
      if (block->GetValue(def.ID, t, v, valid)) out[name] = def.type == TYPE_BOOL ? json(v != 0) : json(v);
    }
  }
  return out;
}

// The source's tables; each names its skin when a skin of the scene carries the key.
json Tables(Animatable* source, const std::vector<SkinRef>& skins) {
  json out = json::array();
  BaseInterface* found = source->GetInterface(INFLUENCE_TABLE_EDITOR_INTERFACE_ID);
  if (!found || found->GetID() != INFLUENCE_TABLE_EDITOR_INTERFACE_ID) return out;
  auto* editor = static_cast<IInfluenceTableEditor*>(found);
  for (const auto& [stamp, values] : editor->Tables()) {
    json table;
    table["stamp"] = StampText(stamp);
    table["skin"] = nullptr;
    for (const SkinRef& s : skins) {
      std::uint64_t skinStamp = 0;
      if (editor->StampOf(s.modifier, skinStamp) && skinStamp == stamp) {
        table["skin"] = {{"node", WideToUtf8Text(s.node->GetName())}, {"stackIndex", s.stackIndex}};
        break;
      }
    }
    json list = json::array();
    for (float v : values) list.push_back(Clean(v));
    table["values"] = list;
    out.push_back(table);
  }
  return out;
}

// The node's Orbicle (its object reference, under any object-space stack).
Object* OrbicleOf(INode* node) {
  Object* obj = node->GetObjectRef();
  while (obj && obj->SuperClassID() == GEN_DERIVOB_CLASS_ID) obj = static_cast<IDerivedObject*>(obj)->GetObjRef();
  return obj && obj->ClassID() == ORBICLE_CLASS_ID ? obj : nullptr;
}

// The skins the source pushes out (with use_fluxels on), as the source itself finds them.
json ActsOn(Animatable* source, const std::vector<SkinRef>& skins) {
  json out = json::array();
  BaseInterface* found = source->GetInterface(INFLUENCE_TABLE_EDITOR_INTERFACE_ID);
  if (!found || found->GetID() != INFLUENCE_TABLE_EDITOR_INTERFACE_ID) return out;
  for (const ModifierMatch& match : static_cast<IInfluenceTableEditor*>(found)->SkinsActedOn())
    for (const SkinRef& s : skins)
      if (s.modifier == match.modifier) {
        out.push_back({{"node", WideToUtf8Text(s.node->GetName())}, {"stackIndex", s.stackIndex}});
        break;
      }
  return out;
}

json Entry(INode* node, const char* type, Animatable* source, TimeValue t, const std::vector<SkinRef>& skins) {
  return {{"node", WideToUtf8Text(node->GetName())},
          {"type", type},
          {"parameters", Parameters(source, t)},
          {"actsOn", ActsOn(source, skins)},
          {"tables", Tables(source, skins)}};
}

}  // namespace

json DumpSources(TimeValue t) {
  const std::vector<SkinRef> skins = FindSkins();
  json out = json::array();
  for (SceneNode* node : TheHost().AllNodes()) {
    if (Object* ob = OrbicleOf(node)) out.push_back(Entry(node, "Orbicle", ob, t, skins));
    if (Modifier* fx = FindModifierOnNode(node, FLUXEL_CLASS_ID)) out.push_back(Entry(node, "Fluxel", fx, t, skins));
  }
  return out;
}

void SourcesText(const json& sources, std::ostream& out) {
  for (const json& s : sources) {
    out << '\n' << s["type"].get<std::string>() << " on \"" << s["node"].get<std::string>() << "\"\n  parameters:";
    for (const auto& [name, value] : s["parameters"].items()) out << ' ' << name << '=' << value.dump();
    out << "\n  acts on:";
    if (s["actsOn"].empty()) out << " no skin";
    for (const json& skin : s["actsOn"])
      out << " the skin on \"" << skin["node"].get<std::string>() << "\" (stack index " << skin["stackIndex"] << ")";
    out << "\n  influence tables: " << s["tables"].size() << '\n';
    for (const json& table : s["tables"]) {
      out << "    " << table["stamp"].get<std::string>();
      if (table["skin"].is_null()) out << " (no skin of the scene)";
      else
        out << " for the skin on \"" << table["skin"]["node"].get<std::string>() << "\" (stack index "
            << table["skin"]["stackIndex"] << ")";
      out << ", " << table["values"].size() << " values:";
      for (const json& v : table["values"]) out << ' ' << v.dump();
      out << '\n';
    }
  }
}
