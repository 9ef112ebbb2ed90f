#include "cli/scene/weight_display.h"

#include <algorithm>
#include <set>

#include "cli/scene/skin_access.h"
#include "host/headless/utf8_text.h"
#include "host/sdk/inode.h"

bool ShowBoneWeights(const std::vector<std::string>& names, std::string* error) {
  const std::vector<SkinRef> skins = FindSkins();
  std::vector<std::vector<bool>> selections;
  std::set<std::string> found, all;
  for (const SkinRef& skin : skins) {
    const BoneTable& table = skin.editor->Table();
    std::vector<bool> selected(table.boneCount, false);
    for (int b = 0; b < table.boneCount; ++b) {
      INode* node = table.bones[b]->node;
      if (!node) continue;
      const std::string name = WideToUtf8Text(node->GetName());
      all.insert(name);
      if (std::find(names.begin(), names.end(), name) == names.end()) continue;
      selected[b] = true;
      found.insert(name);
    }
    selections.push_back(std::move(selected));
  }
  for (const std::string& name : names) {
    if (found.count(name)) continue;
    if (error) {
      std::string list;
      for (const std::string& n : all) list += (list.empty() ? "" : ", ") + n;
      *error = "no skin has a bone named \"" + name + "\" (bones: " + (list.empty() ? "none" : list) + ")";
    }
    return false;
  }
  for (std::size_t i = 0; i < skins.size(); ++i) {
    ISkinEditor& editor = *skins[i].editor;
    SkinSettings settings = editor.Settings();
    settings.paintingColors = 1;
    editor.SetSettings(settings);
    editor.SelectBones(selections[i]);
  }
  return true;
}
