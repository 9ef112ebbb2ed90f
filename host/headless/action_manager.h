#pragma once
// The headless host's action manager: the registered action contexts, in registration order.
// Nothing runs the actions; the host only lists them.

#include <vector>

#include "host/sdk/actiontable.h"

struct ActionContextRecord {
  ActionContextId id = 0;
  MSTR name;
};

class HeadlessActionManager : public IActionManager {
public:
  BOOL RegisterActionContext(ActionContextId id, const MCHAR* name) override;
  BOOL IsContextRegistered(ActionContextId id) override;
  const std::vector<ActionContextRecord>& Contexts() const { return contexts_; }
  void Clear() { contexts_.clear(); }

private:
  std::vector<ActionContextRecord> contexts_;
};
