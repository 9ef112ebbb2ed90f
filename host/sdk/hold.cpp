#include "host/sdk/hold.h"

#include <utility>

Hold theHold;

void Hold::Begin() { ++depth_; }

void Hold::Put(RestoreObj* rec) {
  std::unique_ptr<RestoreObj> owned(rec);
  if (owned && depth_ > 0) pending_.push_back(std::move(owned));
}

void Hold::Accept(const MCHAR* label) {
  if (depth_ == 0 || --depth_ > 0) return;
  if (pending_.empty()) return;
  for (auto& rec : pending_) rec->EndHold();
  undo_.push_back({label ? MSTR(label) : MSTR(), std::move(pending_)});
  pending_.clear();
  redo_.clear();
}

void Hold::Cancel() {
  if (depth_ == 0 || --depth_ > 0) return;
  for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) (*it)->Restore(0);
  pending_.clear();
}

bool Hold::Undo() {
  if (undo_.empty() || depth_ > 0) return false;
  Step step = std::move(undo_.back());
  undo_.pop_back();
  for (auto it = step.records.rbegin(); it != step.records.rend(); ++it) (*it)->Restore(1);
  redo_.push_back(std::move(step));
  return true;
}

bool Hold::Redo() {
  if (redo_.empty() || depth_ > 0) return false;
  Step step = std::move(redo_.back());
  redo_.pop_back();
  for (auto& rec : step.records) rec->Redo();
  undo_.push_back(std::move(step));
  return true;
}

void Hold::Clear() {
  depth_ = 0;
  pending_.clear();
  undo_.clear();
  redo_.clear();
}
