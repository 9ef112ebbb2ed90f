#pragma once
// The host's undo system: records (RestoreObj) are put into an open hold between Begin and
// Accept; an accepted hold becomes one undo step. The headless application keeps an undo and a
// redo stack that tests and the command line drive with Undo and Redo.

#include <memory>
#include <vector>

#include "host/sdk/maxtypes.h"
#include "host/sdk/strclass.h"

class RestoreObj {
public:
  virtual ~RestoreObj() = default;
  // Undoes the change; isUndo is nonzero when the user undoes (not a cancelled hold).
  virtual void Restore(int isUndo) = 0;
  virtual void Redo() = 0;
  virtual int Size() { return 1; }
  virtual void EndHold() {}
  virtual MSTR Description() { return L"---"; }
};

class Hold {
public:
  Hold() = default;
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

  // Opens a hold; Begin inside an open hold nests, and only the outermost Accept or Cancel closes.
  void Begin();
  // Nonzero while a hold is open.
  int Holding() const { return depth_ > 0 ? 1 : 0; }
  // Takes rec over: kept in the open hold, or deleted at once when no hold is open.
  void Put(RestoreObj* rec);
  // Closes a hold level; the outermost one turns its records into one undo step named label
  // (nothing when it holds none) and forgets the redo stack.
  void Accept(const MCHAR* label);
  // Closes a hold level; the outermost one restores its records (newest first) and drops them.
  void Cancel();

  // --- The headless application's stacks ---
  // Undoes the newest step (its records' Restore(1), newest first); false when there is none.
  bool Undo();
  // Redoes the newest undone step (its records' Redo, in order); false when there is none.
  bool Redo();
  int UndoCount() const { return static_cast<int>(undo_.size()); }
  int RedoCount() const { return static_cast<int>(redo_.size()); }
  // The label of the newest undo step, empty without one.
  MSTR UndoLabel() const { return undo_.empty() ? MSTR() : undo_.back().label; }
  // Drops every step and any open hold without running records.
  void Clear();

private:
  struct Step {
    MSTR label;
    std::vector<std::unique_ptr<RestoreObj>> records;  // in the order they were put
  };
  int depth_ = 0;
  std::vector<std::unique_ptr<RestoreObj>> pending_;
  std::vector<Step> undo_;
  std::vector<Step> redo_;
};

// The application's one hold.
extern Hold theHold;
