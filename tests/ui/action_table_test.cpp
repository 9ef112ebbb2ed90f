// The skin's keyboard action table: its rows, texts, shortcuts, and a new table on every call.

#include <memory>
#include <string>

#include "module/registry/class_descs.h"
#include "ui/action_table.h"
#include "ui_fixture.h"

namespace {

struct Row {
  int command;
  const wchar_t* text;
  BYTE flags;
  WORD key;
};

constexpr BYTE kKey = FVIRTKEY, kAlt = FVIRTKEY | FALT, kCtrl = FVIRTKEY | FCONTROL, kShift = FVIRTKEY | FSHIFT;

const Row kRows[] = {
    {1274, L"Visualization toggle", kAlt, 'V'},
    {1275, L"Fluxel & Orbicle On/Off", kAlt, 'M'},
    {1273, L"Fluxel & Orbicle Show/Hide", kAlt, 'O'},
    {1278, L"Select Parent Bone", kKey, VK_PRIOR},
    {1279, L"Select All Parents", kCtrl, VK_PRIOR},
    {1280, L"Select Child Bone", kKey, VK_NEXT},
    {1281, L"Select All Children", kCtrl, VK_NEXT},
    {1282, L"Exclude", kCtrl, 'X'},
    {1283, L"Include", kShift, 'X'},
    {1284, L"Shrink Vertex Selection", kKey, VK_SUBTRACT},
    {1285, L"Grow Vertex Selection", kKey, VK_ADD},
    {1286, L"Select Ring", kAlt, 'R'},
    {1287, L"Select Loop", kAlt, 'L'},
    {1288, L"Bone Mode", kKey, '1'},
    {1289, L"Vertex Mode", kKey, '2'},
    {1290, L"Bone Select Toggle", kKey, VK_SPACE},
    {1292, L"Paint", kKey, 'D'},
    {1293, L"Paint Options", kCtrl, 'D'},
    {1320, L"Bone visualization toggle", kAlt, 'B'},
};

class ActionTableTest : public UiTest {
protected:
  void SetUp() override {
    UiTest::SetUp();
    host().Actions().Clear();
  }
  static std::unique_ptr<ActionTable> Table() { return std::unique_ptr<ActionTable>(GetTessarinDesc()->GetActionTable(0)); }
};

TEST_F(ActionTableTest, NineteenRowsInOrderWithTextsCategoryAndShortcuts) {
  ASSERT_EQ(GetTessarinDesc()->NumActionTables(), 1);
  std::unique_ptr<ActionTable> t = Table();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->GetId(), 0x3F346222u);
  EXPECT_EQ(t->GetContextId(), 0x3F346222u);
  EXPECT_EQ(t->GetName(), L"Tessarin");
  EXPECT_EQ(t->GetHAccel(), LoadAcceleratorsW(GetModuleInstance(), MAKEINTRESOURCEW(508)));
  ASSERT_EQ(t->Count(), 19);
  for (int i = 0; i < t->Count(); ++i) {
    const ActionItem* item = t->GetAction(i);
    const Row& want = kRows[i];
    EXPECT_EQ(item->id, want.command) << i;
    EXPECT_EQ(item->description, want.text) << i;
    EXPECT_EQ(item->shortName, want.text) << i;
    EXPECT_EQ(item->category, L"Tessarin") << i;
    ASSERT_TRUE(item->hasShortcut) << i;
    EXPECT_EQ(item->shortcut.fVirt, want.flags) << i;
    EXPECT_EQ(item->shortcut.key, want.key) << i;
  }
}

TEST_F(ActionTableTest, ContextRegisteredUnderTheTableName) {
  std::unique_ptr<ActionTable> t = Table();
  ASSERT_EQ(host().Actions().Contexts().size(), 1u);
  EXPECT_EQ(host().Actions().Contexts()[0].id, 0x3F346222u);
  EXPECT_EQ(host().Actions().Contexts()[0].name, L"Tessarin");
  std::unique_ptr<ActionTable> again = Table();
  EXPECT_EQ(host().Actions().Contexts().size(), 1u) << "registered once";
}

TEST_F(ActionTableTest, EveryCallBuildsANewEqualTableWhateverTheIndex) {
  std::unique_ptr<ActionTable> a = Table();
  std::unique_ptr<ActionTable> b(GetTessarinDesc()->GetActionTable(5));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a.get(), b.get());
  EXPECT_TRUE(a->SameContents(*b));
}

}  // namespace
