// The Wobblex rollout: opened and closed through the class descriptor while the modifier is
// edited, with its dialog procedure dressing the About button and opening the About box.

#include <string>
#include <vector>

#include "host/headless/command_panel_maps.h"
#include "host/sdk/iparamm2.h"
#include "module/registry/class_descs.h"
#include "module/resources/resource_directory.h"
#include "module/resources/string_table.h"
#include "sources/rollout_controls.h"
#include "sources/wobblex_dlg_proc.h"
#include "sources/wobblex_fixture.h"

namespace {

// What the window system was asked to do.
struct Recorder {
  struct Taken {
    HWND dialog;
    int control;
    std::wstring caption;
    std::wstring tooltip;
  };
  std::vector<Taken> taken;
  std::vector<ICustButton*> released;
  struct About {
    HWND owner;
    LPARAM first;
    LPARAM second;
  };
  std::vector<About> opened;
  // The interface handed out: any address will do, the procedure only holds and returns it.
  int storage = 0;
  ICustButton* button = reinterpret_cast<ICustButton*>(&storage);
};

Recorder* g_recorder = nullptr;

ICustButton* Take(HWND dialog, int control, const MCHAR* caption, const MCHAR* tooltip) {
  g_recorder->taken.push_back({dialog, control, caption, tooltip});
  return g_recorder->button;
}
void Release(ICustButton* b) { g_recorder->released.push_back(b); }
void OpenAbout(HWND owner, LPARAM first, LPARAM second) { g_recorder->opened.push_back({owner, first, second}); }

class WobblexRolloutTest : public WobblexTest {
protected:
  void SetUp() override {
    WobblexTest::SetUp();
    SetModuleInstance(TessarinResourceHandle());
    g_recorder = &recorder_;
    RolloutControls controls;
    controls.takeButton = &Take;
    controls.releaseButton = &Release;
    controls.openAboutBox = &OpenAbout;
    GetRolloutControls() = controls;
  }
  void TearDown() override {
    GetRolloutControls() = RolloutControls{};
    g_recorder = nullptr;
    SetModuleInstance(nullptr);
    WobblexTest::TearDown();
  }

  // A map showing w's block, standing for the rollout's dialog.
  struct FakeMap : IParamMap2 {
    IParamBlock2* block;
    explicit FakeMap(IParamBlock2* b) : block(b) {}
    IParamBlock2* GetParamBlock() override { return block; }
    void SetParamBlock(IParamBlock2* pb) override { block = pb; }
    ParamMap2UserDlgProc* GetUserDlgProc() override { return GetWobblexDlgProc(); }
    void SetUserDlgProc(ParamMap2UserDlgProc*) override {}
    void Invalidate() override {}
    HWND GetHWnd() override { return nullptr; }
  };

  static INT_PTR Send(IParamMap2& map, UINT msg, WPARAM wParam = 0) {
    return GetWobblexDlgProc()->DlgProc(0, &map, kDialog, msg, wParam, 0);
  }

  static inline HWND const kDialog = reinterpret_cast<HWND>(0x5090);
  Recorder recorder_;
};

IObjParam* const kPanel = reinterpret_cast<IObjParam*>(0x1234);

TEST_F(WobblexRolloutTest, EditingOpensTheRolloutAndEndingClosesIt) {
  Wobblex* w = Loose();
  w->BeginEditParams(kPanel, 0, nullptr);
  EXPECT_EQ(WobblexEditInterface(), kPanel);
  IParamMap2* map = w->pblock->GetMap(0);
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->GetParamBlock(), w->pblock);
  EXPECT_EQ(map->GetUserDlgProc(), GetWobblexDlgProc());
  const CommandPanelRollout* rollout = FindCommandPanelRollout(map);
  ASSERT_NE(rollout, nullptr);
  EXPECT_EQ(rollout->dlgTemplate, 509);
  EXPECT_EQ(rollout->title, L"Parameters");
  ASSERT_EQ(recorder_.taken.size(), 1u) << "the dialog was initialised";

  w->EndEditParams(kPanel, 0, nullptr);  // the remove bit is added
  EXPECT_EQ(w->pblock->GetMap(0), nullptr);
  EXPECT_EQ(WobblexEditInterface(), nullptr);
  EXPECT_EQ(recorder_.released.size(), 1u);
}

TEST_F(WobblexRolloutTest, EndingWithoutAnOpenRolloutOnlyForgetsThePanel) {
  Wobblex* w = Loose();
  Wobblex* other = Loose();
  w->BeginEditParams(kPanel, 0, nullptr);
  other->EndEditParams(kPanel, 0, nullptr);
  EXPECT_EQ(WobblexEditInterface(), nullptr);
  EXPECT_NE(w->pblock->GetMap(0), nullptr) << "the other object's rollout stays";
  w->EndEditParams(kPanel, 0, nullptr);
  EXPECT_EQ(w->pblock->GetMap(0), nullptr);
}

TEST_F(WobblexRolloutTest, InitialisationDressesTheAboutButtonAndDestructionReleasesIt) {
  Wobblex* w = Loose();
  FakeMap map(w->pblock);
  EXPECT_EQ(Send(map, WM_INITDIALOG), TRUE);
  ASSERT_EQ(recorder_.taken.size(), 1u);
  EXPECT_EQ(recorder_.taken[0].dialog, kDialog);
  EXPECT_EQ(recorder_.taken[0].control, 1079);
  EXPECT_EQ(recorder_.taken[0].caption, L"About");
  EXPECT_EQ(recorder_.taken[0].tooltip, L"About this product");
  EXPECT_TRUE(recorder_.released.empty()) << "held for the life of the dialog";
  EXPECT_EQ(Send(map, WM_DESTROY), FALSE);
  ASSERT_EQ(recorder_.released.size(), 1u);
  EXPECT_EQ(recorder_.released[0], recorder_.button);
  EXPECT_EQ(Send(map, WM_DESTROY), FALSE);
  EXPECT_EQ(recorder_.released.size(), 1u) << "released once";
}

TEST_F(WobblexRolloutTest, AboutButtonOpensTheAboutBoxOverTheRollout) {
  Wobblex* w = Loose();
  FakeMap map(w->pblock);
  EXPECT_EQ(Send(map, WM_COMMAND, 1079), FALSE);
  ASSERT_EQ(recorder_.opened.size(), 1u);
  EXPECT_EQ(recorder_.opened[0].owner, kDialog);
  EXPECT_EQ(recorder_.opened[0].first, -1);
  EXPECT_EQ(recorder_.opened[0].second, -1);
  EXPECT_EQ(Send(map, WM_COMMAND, 1080), FALSE);
  EXPECT_EQ(Send(map, 0x0200), FALSE);  // any other message
  EXPECT_EQ(recorder_.opened.size(), 1u);
}

TEST_F(WobblexRolloutTest, ProcedureActsOnlyForABlockWithAnOwner) {
  FakeMap noBlock(nullptr);
  EXPECT_EQ(Send(noBlock, WM_INITDIALOG), FALSE);
  EXPECT_EQ(Send(noBlock, WM_COMMAND, 1079), FALSE);
  Wobblex* w = Loose();
  w->pblock->SetOwner(nullptr);
  FakeMap ownerless(w->pblock);
  EXPECT_EQ(Send(ownerless, WM_INITDIALOG), FALSE);
  EXPECT_EQ(Send(ownerless, WM_COMMAND, 1079), FALSE);
  EXPECT_TRUE(recorder_.taken.empty());
  EXPECT_TRUE(recorder_.opened.empty());
}

}  // namespace
