// The Wobblex, Orbicle and Fluxel rollouts, opened in the headless command panel with the shell's
// services installed: their About buttons open the box with template 502 and link cursor 1266.

#include <functional>

#include "host/headless/command_panel_maps.h"
#include "host/sdk/custcont.h"
#include "host/sdk/iparamm2.h"
#include "sources/fluxel.h"
#include "sources/orbicle.h"
#include "sources/wobblex.h"
#include "ui/about_box.h"
#include "ui_fixture.h"

namespace {

struct PanelCase {
  const char* name;
  std::function<Animatable*()> make;
  int aboutButton;
  bool dressed;  // the procedure takes the About button as a custom push button with a tooltip
};

class SourcePanelsTest : public UiTest {};

TEST_F(SourcePanelsTest, AboutButtonsOpenTheSharedBoxWithTheLinkCursor) {
  const PanelCase cases[] = {
      {"Wobblex", [] { return static_cast<Animatable*>(new Wobblex()); }, IDC_WOBBLEX_ABOUT, true},
      {"Orbicle", [] { return static_cast<Animatable*>(new Orbicle()); }, IDC_ORBICLE_ABOUT, false},
      {"Fluxel", [] { return static_cast<Animatable*>(new Fluxel()); }, IDC_FLUXEL_ABOUT, true},
  };
  for (const PanelCase& c : cases) {
    TheModalDialogs().Reset();
    Animatable* object = c.make();
    object->BeginEditParams(&host(), 0, nullptr);
    ASSERT_FALSE(CommandPanelRollouts().empty()) << c.name;
    HWND rollout = CommandPanelRollouts().back().map->GetHWnd();
    ASSERT_NE(rollout, nullptr) << c.name;
    HWND button = GetDlgItem(rollout, c.aboutButton);
    ASSERT_NE(button, nullptr) << c.name;
    const HeadlessWindow* record = FindWindowRecord(button);
    if (c.dressed) {
      EXPECT_EQ(record->button.type, CBT_PUSH) << c.name;
      EXPECT_TRUE(record->button.tooltipOn) << c.name;
      EXPECT_EQ(record->button.interfacesHeld, 1) << c.name << ": held while the rollout lives";
    }

    EXPECT_TRUE(ClickControl(button)) << c.name;
    ASSERT_EQ(TheModalDialogs().Dialogs().size(), 1u) << c.name;
    EXPECT_EQ(TheModalDialogs().Dialogs()[0].templateId, IDD_ABOUT_TESSARIN) << c.name;
    EXPECT_EQ(TheModalDialogs().Dialogs()[0].owner, rollout) << c.name;
    EXPECT_EQ(TheAboutBoxState().linkCursor, ModuleCursor(IDC_LINK_CURSOR)) << c.name;
    EXPECT_NE(TheAboutBoxState().linkCursor, nullptr) << c.name;

    object->EndEditParams(&host(), END_EDIT_REMOVEUI, nullptr);
    EXPECT_FALSE(IsWindow(rollout)) << c.name;
    static_cast<ReferenceTarget*>(object)->DeleteMe();
  }
}

}  // namespace
