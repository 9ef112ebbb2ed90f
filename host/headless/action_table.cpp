// Keyboard action tables and the action manager of the headless host.

#include <algorithm>
#include <map>
#include <vector>

#include "host/headless/action_manager.h"
#include "host/sdk/actiontable.h"

namespace {

MSTR LoadText(HINSTANCE instance, int id) {
  wchar_t buffer[512];
  int n = LoadStringW(instance, static_cast<UINT>(id), buffer, 512);
  return MSTR(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
}

}  // namespace

ActionTable::ActionTable(ActionTableId id, ActionContextId contextId, const MSTR& name, HACCEL defaults, int numIds,
                         const ActionDescription* descriptions, HINSTANCE instance)
    : id_(id), contextId_(contextId), name_(name), accelerators_(defaults) {
  std::vector<ACCEL> keys(static_cast<std::size_t>(std::max(0, CopyAcceleratorTableW(defaults, nullptr, 0))));
  CopyAcceleratorTableW(defaults, keys.data(), static_cast<int>(keys.size()));
  for (int i = 0; descriptions && i < numIds; ++i) {
    const ActionDescription& d = descriptions[i];
    ActionItem item;
    item.id = d.mCmdID;
    item.description = LoadText(instance, d.mDescriptionResourceID);
    item.shortName = LoadText(instance, d.mShortNameResourceID);
    item.category = LoadText(instance, d.mCategoryResourceID);
    auto key = std::find_if(keys.begin(), keys.end(), [&](const ACCEL& a) { return a.cmd == d.mCmdID; });
    if (key != keys.end()) {
      item.hasShortcut = true;
      item.shortcut = *key;
    }
    items_.push_back(std::move(item));
  }
}

const ActionItem* ActionTable::GetAction(int i) const {
  return i >= 0 && i < Count() ? &items_[static_cast<std::size_t>(i)] : nullptr;
}

const ActionItem* ActionTable::GetActionById(int cmdId) const {
  for (const ActionItem& item : items_)
    if (item.id == cmdId) return &item;
  return nullptr;
}

BOOL HeadlessActionManager::RegisterActionContext(ActionContextId id, const MCHAR* name) {
  for (const ActionContextRecord& c : contexts_)
    if (c.id == id) return FALSE;
  contexts_.push_back({id, name ? MSTR(name) : MSTR()});
  return TRUE;
}

BOOL HeadlessActionManager::IsContextRegistered(ActionContextId id) {
  for (const ActionContextRecord& c : contexts_)
    if (c.id == id) return TRUE;
  return FALSE;
}
