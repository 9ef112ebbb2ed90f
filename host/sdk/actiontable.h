#pragma once
// Keyboard actions: a table of commands that the host lists with their texts, categories and
// default shortcuts, grouped in a context registered with the action manager.

#include <vector>

#include "host/sdk/strclass.h"
#include "host/sdk/winresources.h"

using ActionTableId = DWORD;
using ActionContextId = DWORD;

// One row of a table as the plug-in describes it: the command and three string-table entries.
struct ActionDescription {
  int mCmdID = 0;
  int mDescriptionResourceID = 0;
  int mShortNameResourceID = 0;
  int mCategoryResourceID = 0;
};

// One action of a table: the texts loaded from the module and the default shortcut.
struct ActionItem {
  int id = 0;
  MSTR description;
  MSTR shortName;
  MSTR category;
  bool hasShortcut = false;
  ACCEL shortcut;  // fVirt and key of the first entry of the accelerator table with cmd == id

  bool operator==(const ActionItem& o) const {
    return id == o.id && description == o.description && shortName == o.shortName && category == o.category &&
           hasShortcut == o.hasShortcut && shortcut.fVirt == o.shortcut.fVirt && shortcut.key == o.shortcut.key &&
           shortcut.cmd == o.shortcut.cmd;
  }
};

class ActionTable {
public:
  // numIds rows of descriptions (shape: numIds entries), texts loaded from instance, shortcuts
  // from the accelerator table defaults (may be null: no shortcuts).
  ActionTable(ActionTableId id, ActionContextId contextId, const MSTR& name, HACCEL defaults, int numIds,
              const ActionDescription* descriptions, HINSTANCE instance);
  virtual ~ActionTable() = default;

  ActionTableId GetId() const { return id_; }
  ActionContextId GetContextId() const { return contextId_; }
  const MSTR& GetName() const { return name_; }
  HACCEL GetHAccel() const { return accelerators_; }
  int Count() const { return static_cast<int>(items_.size()); }
  // Null outside 0 .. Count() - 1.
  const ActionItem* GetAction(int i) const;
  const ActionItem* GetActionById(int cmdId) const;
  // Same identity, name and rows.
  bool SameContents(const ActionTable& o) const {
    return id_ == o.id_ && contextId_ == o.contextId_ && name_ == o.name_ && items_ == o.items_;
  }

private:
  ActionTableId id_;
  ActionContextId contextId_;
  MSTR name_;
  HACCEL accelerators_;
  std::vector<ActionItem> items_;
};

class IActionManager {
public:
  virtual ~IActionManager() = default;
  // Registers a context by id; FALSE (nothing changes) when the id is registered already.
  virtual BOOL RegisterActionContext(ActionContextId id, const MCHAR* name) = 0;
  virtual BOOL IsContextRegistered(ActionContextId id) = 0;
};
