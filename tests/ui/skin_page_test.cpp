// The skin modifier's command-panel page: opened and closed with the editing, its three buttons.

#include "deformer/skin_services.h"
#include "deformer/tessarin.h"
#include "ui/about_box.h"
#include "ui/about_texts.h"
#include "ui/skin_page.h"
#include "ui_fixture.h"

namespace {

class SkinPageTest : public UiTest {
protected:
  void SetUp() override {
    UiTest::SetUp();
    skin_ = new Tessarin();
    savedImport_ = GetSkinServices().importExchangeFile;
    imported_ = nullptr;
    GetSkinServices().importExchangeFile = [](Tessarin& s) {
      imported_ = &s;
      return false;
    };
  }
  void TearDown() override {
    skin_->EndEditParams(&host(), END_EDIT_REMOVEUI, nullptr);
    for (const RollupPageRecord& r : std::vector<RollupPageRecord>(RollupPages())) host().DeleteRollupPage(r.window);
    skin_->DeleteMe();
    GetSkinServices().importExchangeFile = savedImport_;
    UiTest::TearDown();
  }
  HWND Open() {
    skin_->BeginEditParams(&host(), 0, nullptr);
    return skin_->pagePanel;
  }
  static LRESULT Press(HWND page, int id) { return SendMessageW(page, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0); }

  Tessarin* skin_ = nullptr;
  bool (*savedImport_)(Tessarin&) = nullptr;
  static inline Tessarin* imported_ = nullptr;
};

TEST_F(SkinPageTest, EditingAddsTheRolloutPage) {
  HWND page = Open();
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(RollupPages().size(), 1u);
  const RollupPageRecord& r = RollupPages()[0];
  EXPECT_EQ(r.window, page);
  EXPECT_EQ(r.templateId, IDD_TESSARIN_PANEL);
  EXPECT_EQ(r.instance, GetModuleInstance());
  EXPECT_EQ(r.title, L"TessarinProxy");
  EXPECT_EQ(r.param, reinterpret_cast<LPARAM>(skin_));
  EXPECT_EQ(r.flags, 0u);
  EXPECT_EQ(r.category, 4000);
  EXPECT_EQ(SkinOfPage(), skin_) << "initialisation remembers the modifier";
  for (int id : {IDC_HELP_BUTTON, IDC_IMPORT_TSM, IDC_ABOUT_BUTTON}) EXPECT_NE(GetDlgItem(page, id), nullptr) << id;
  EXPECT_EQ(skin_->pblock->GetMap(0), nullptr) << "no parameter map";
}

TEST_F(SkinPageTest, OpeningTwiceKeepsTheSecondAndClosingRemovesItOnce) {
  HWND first = Open();
  HWND second = Open();
  ASSERT_NE(first, second);
  EXPECT_EQ(skin_->pagePanel, second);
  EXPECT_EQ(RollupPages().size(), 2u);

  skin_->EndEditParams(&host(), END_EDIT_REMOVEUI, nullptr);
  EXPECT_EQ(skin_->pagePanel, nullptr);
  EXPECT_FALSE(IsWindow(second));
  EXPECT_TRUE(IsWindow(first)) << "the first page is not the stored one";
  ASSERT_EQ(RollupPages().size(), 1u);

  skin_->EndEditParams(&host(), END_EDIT_REMOVEUI, nullptr);
  EXPECT_EQ(RollupPages().size(), 1u) << "a second close does nothing";
}

TEST_F(SkinPageTest, HelpOpensTheHelpTargetMaximised) {
  HWND page = Open();
  EXPECT_EQ(Press(page, IDC_HELP_BUTTON), TRUE);
  ASSERT_EQ(TheShellService().Requests().size(), 1u);
  const ShellRequest& r = TheShellService().Requests()[0];
  EXPECT_FALSE(r.hasOperation);
  EXPECT_EQ(r.file, std::wstring(HelpTarget().begin(), HelpTarget().end()));
  EXPECT_FALSE(r.hasParameters);
  EXPECT_FALSE(r.hasDirectory);
  EXPECT_EQ(r.showCommand, SW_SHOWMAXIMIZED);
}

TEST_F(SkinPageTest, ImportRunsForTheRememberedModifier) {
  HWND page = Open();
  EXPECT_EQ(Press(page, IDC_IMPORT_TSM), TRUE);
  EXPECT_EQ(imported_, skin_);
}

TEST_F(SkinPageTest, AboutOpensTemplate531WithoutLinkCursor) {
  HWND page = Open();
  EXPECT_EQ(ClickControl(GetDlgItem(page, IDC_ABOUT_BUTTON)), true);
  ASSERT_EQ(TheModalDialogs().Dialogs().size(), 1u);
  EXPECT_EQ(TheModalDialogs().Dialogs()[0].templateId, IDD_ABOUT);
  EXPECT_EQ(TheModalDialogs().Dialogs()[0].owner, page);
  EXPECT_EQ(TheAboutBoxState().linkCursor, nullptr);
}

TEST_F(SkinPageTest, OtherCommandsAnswerTrueOtherMessagesFalse) {
  HWND page = Open();
  EXPECT_EQ(Press(page, 4711), TRUE);
  EXPECT_EQ(SendMessageW(page, WM_PAINT, 0, 0), FALSE);
  EXPECT_EQ(SendMessageW(page, WM_MOUSEMOVE, 0, 0), FALSE);
  EXPECT_TRUE(TheShellService().Requests().empty());
  EXPECT_TRUE(TheModalDialogs().Dialogs().empty());
  EXPECT_EQ(imported_, nullptr);
}

}  // namespace
