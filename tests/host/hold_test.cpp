// The undo hold: steps made by Accept, undo and redo order, nesting, cancel and records put
// outside a hold.

#include <gtest/gtest.h>

#include <string>

#include "host/sdk/hold.h"

namespace {

// Appends its tag to a shared log on every call.
class LoggingRestore : public RestoreObj {
public:
  LoggingRestore(std::string& log, char tag, int* deleted = nullptr) : log_(log), tag_(tag), deleted_(deleted) {}
  ~LoggingRestore() override {
    if (deleted_) ++*deleted_;
  }
  void Restore(int isUndo) override { log_ += isUndo ? 'u' : 'c', log_ += tag_; }
  void Redo() override { log_ += 'r', log_ += tag_; }
  void EndHold() override { log_ += 'e', log_ += tag_; }

private:
  std::string& log_;
  char tag_;
  int* deleted_;
};

class HoldTest : public ::testing::Test {
protected:
  void SetUp() override { theHold.Clear(); }
  void TearDown() override { theHold.Clear(); }
  std::string log;
};

TEST_F(HoldTest, AcceptedHoldIsOneStepUndoneNewestFirstAndRedoneInOrder) {
  theHold.Begin();
  EXPECT_TRUE(theHold.Holding());
  theHold.Put(new LoggingRestore(log, 'a'));
  theHold.Put(new LoggingRestore(log, 'b'));
  theHold.Accept(L"Paint");
  EXPECT_FALSE(theHold.Holding());
  EXPECT_EQ(log, "eaeb");
  EXPECT_EQ(theHold.UndoCount(), 1);
  EXPECT_EQ(theHold.UndoLabel(), L"Paint");
  log.clear();
  EXPECT_TRUE(theHold.Undo());
  EXPECT_EQ(log, "ubua");
  EXPECT_FALSE(theHold.Undo());
  EXPECT_TRUE(theHold.Redo());
  EXPECT_EQ(log, "ubuararb");
  EXPECT_FALSE(theHold.Redo());
}

TEST_F(HoldTest, NestedBeginClosesAtTheOutermostAcceptAndANewStepForgetsRedo) {
  theHold.Begin();
  theHold.Begin();
  theHold.Put(new LoggingRestore(log, 'a'));
  theHold.Accept(L"inner");
  EXPECT_TRUE(theHold.Holding());
  EXPECT_EQ(theHold.UndoCount(), 0);
  theHold.Accept(L"outer");
  EXPECT_EQ(theHold.UndoLabel(), L"outer");
  theHold.Undo();
  EXPECT_EQ(theHold.RedoCount(), 1);
  theHold.Begin();
  theHold.Put(new LoggingRestore(log, 'b'));
  theHold.Accept(L"next");
  EXPECT_EQ(theHold.RedoCount(), 0);
  EXPECT_EQ(theHold.UndoCount(), 1);
}

TEST_F(HoldTest, CancelRestoresAndEmptyOrClosedHoldsMakeNoStep) {
  int deleted = 0;
  theHold.Put(new LoggingRestore(log, 'x', &deleted));  // no hold open: dropped at once
  EXPECT_EQ(deleted, 1);
  theHold.Begin();
  theHold.Accept(L"empty");
  theHold.Accept(L"unbalanced");
  EXPECT_EQ(theHold.UndoCount(), 0);
  theHold.Begin();
  theHold.Put(new LoggingRestore(log, 'a', &deleted));
  theHold.Cancel();
  EXPECT_EQ(log, "ca");
  EXPECT_EQ(deleted, 2);
  EXPECT_EQ(theHold.UndoCount(), 0);
}

}  // namespace
