// The About box: link regions and their edges, centring, cursors, clicks, closing, the texts.

#include <optional>
#include <string>
#include <vector>

#include "module/resources/version_text.h"
#include "ui/about_box.h"
#include "ui/about_regions.h"
#include "ui/about_texts.h"
#include "ui/scrambled_text.h"
#include "ui_fixture.h"

namespace {

struct RegionCase {
  const char* name;
  int x, y;
  std::optional<int> region;  // 0 for R1 ... 4 for R5
};

const RegionCase kRegionCases[] = {
    {"R1 left top corner inside", 20, 7, 0},
    {"R1 last column inside", 329, 50, 0},
    {"R1 right edge outside", 330, 50, std::nullopt},
    {"R1 bottom edge outside", 100, 105, std::nullopt},
    {"left of R1", 19, 50, std::nullopt},
    {"R2", 20, 240, 1},
    {"between R2 and R3", 115, 260, std::nullopt},
    {"R3 last pixel", 319, 279, 2},
    {"R4 first pixel", 24, 310, 3},
    {"R4 right edge outside", 196, 315, std::nullopt},
    {"between R4 and R5", 200, 315, std::nullopt},
    {"R5 first pixel", 208, 310, 4},
    {"R5 right edge outside", 404, 320, std::nullopt},
    {"below R5", 300, 325, std::nullopt},
};

TEST(AboutRegions, EdgesLeftAndTopInsideRightAndBottomOutside) {
  for (const RegionCase& c : kRegionCases) EXPECT_EQ(AboutLinkAt(c.x, c.y), c.region) << c.name;
}

TEST(AboutTexts, VersionRuleAndBuildYear) {
  EXPECT_EQ(VersionText(48500), "4.85.0");
  EXPECT_EQ(VersionText(10203), "1.2.3");
  EXPECT_EQ(UtcYearOf(0), 1970);
  EXPECT_EQ(UtcYearOf(1767225599), 2025) << "2025-12-31 23:59:59 UTC";
  EXPECT_EQ(UtcYearOf(1767225600), 2026) << "2026-01-01 00:00:00 UTC";
  EXPECT_EQ(AboutHeadline(48500, 2026), "Tessarin 4.85.0\r\n\xC2\xA9 2026 The Tessarin developers\r\n");
}

TEST(AboutTexts, ScrambledTextsAreNotStoredPlainAndComeBack) {
  constexpr auto s = Scramble("Tessarin");
  EXPECT_NE(std::string(s.bytes.begin(), s.bytes.end()), "Tessarin");
  EXPECT_EQ(Unscramble(s), "Tessarin");
  EXPECT_EQ(HelpTarget().rfind("https://", 0), 0u);
}

// Each test runs the box through a driver that sends it the messages given.
class AboutBoxTest : public UiTest {
protected:
  using Step = std::function<void(HWND)>;
  // Opens the box with template t and runs steps in order while it is open; answers the dialog's
  // record.
  ModalDialogRecord Run(int t, HCURSOR link, std::vector<Step> steps, HWND owner = nullptr) {
    TheModalDialogs().SetDriver([steps](HWND box) {
      for (const Step& s : steps) s(box);
    });
    OpenAboutBox(owner, t, 7, 8, link);
    return TheModalDialogs().Dialogs().empty() ? ModalDialogRecord{} : TheModalDialogs().Dialogs().back();
  }
  static Step Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0, INT_PTR* answer = nullptr) {
    return [=](HWND box) {
      INT_PTR r = SendMessageW(box, msg, wp, lp);
      if (answer) *answer = r;
    };
  }
  static HCURSOR Link() { return ModuleCursor(IDC_LINK_CURSOR); }
};

TEST_F(AboutBoxTest, CentredOnThePrimaryScreenWithItsSizeKept) {
  struct Screen {
    int w, h;
  };
  for (Screen s : {Screen{1920, 1080}, Screen{1367, 769}}) {
    SetScreenSize(s.w, s.h);
    RECT r{};
    int clientW = 0, clientH = 0;
    ModalDialogRecord d = Run(IDD_ABOUT, nullptr, {[&](HWND box) {
                                GetWindowRect(box, &r);
                                RECT c;
                                GetClientRect(box, &c);
                                clientW = c.right;
                                clientH = c.bottom;
                              }});
    EXPECT_EQ(d.templateId, IDD_ABOUT);
    const int w = r.right - r.left, h = r.bottom - r.top;
    EXPECT_EQ(clientW, 450 * kDialogBaseUnitX / 4) << "the template's size";
    EXPECT_EQ(clientH, 207 * kDialogBaseUnitY / 8);
    EXPECT_EQ(r.left, (s.w - w) / 2) << s.w;
    EXPECT_EQ(r.top, (s.h - h) / 2) << s.h;
  }
}

TEST_F(AboutBoxTest, ClosesWithOkOrCancelOnlyShowingTheArrow) {
  for (int id : {IDOK, IDCANCEL}) {
    INT_PTR answer = -5;
    SetCursor(Link());
    ModalDialogRecord d = Run(IDD_ABOUT_TESSARIN, Link(), {Send(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0, &answer)});
    EXPECT_EQ(d.result, 0) << id;
    EXPECT_FALSE(d.endedByHost) << id;
    EXPECT_EQ(answer, TRUE);
    EXPECT_EQ(GetCursor(), Arrow());
  }
  INT_PTR other = -5;
  ModalDialogRecord d = Run(IDD_ABOUT, nullptr, {Send(WM_COMMAND, MAKEWPARAM(3, 0), 0, &other)});
  EXPECT_EQ(other, FALSE);
  EXPECT_TRUE(d.endedByHost) << "command 3 leaves the box open";
  EXPECT_EQ(LiveWindowCount(), 0) << "the box is gone once closed";
}

TEST_F(AboutBoxTest, MessagesAnsweredAsTheBoxHandlesThem) {
  INT_PTR move = -1, paint = -1, press = -1, other = -1;
  Run(IDD_ABOUT, nullptr,
      {Send(WM_MOUSEMOVE, 0, At(1, 1), &move), Send(WM_PAINT, 0, 0, &paint), Send(WM_LBUTTONDOWN, 0, At(1, 1), &press),
       Send(WM_CLOSE, 0, 0, &other), Send(WM_COMMAND, IDOK)});
  EXPECT_EQ(move, TRUE);
  EXPECT_EQ(paint, TRUE);
  EXPECT_EQ(press, TRUE);
  EXPECT_EQ(other, FALSE);
}

TEST_F(AboutBoxTest, LinkCursorOverLinksArrowElsewhereAndWithoutOne) {
  std::vector<HCURSOR> shown;
  Step record = [&](HWND) { shown.push_back(GetCursor()); };
  Run(IDD_ABOUT_TESSARIN, Link(),
      {Send(WM_MOUSEMOVE, 0, At(329, 50)), record, Send(WM_MOUSEMOVE, 0, At(330, 50)), record,
       Send(WM_MOUSEMOVE, 0, At(210, 312)), record, Send(WM_COMMAND, IDOK)});
  EXPECT_EQ(shown, (std::vector<HCURSOR>{Link(), Arrow(), Link()}));
  EXPECT_EQ(TheAboutBoxState().lastMouse.x, 210);
  EXPECT_EQ(TheAboutBoxState().lastMouse.y, 312);
  EXPECT_EQ(TheAboutBoxState().first, 7);
  EXPECT_EQ(TheAboutBoxState().second, 8);

  shown.clear();
  Run(IDD_ABOUT, nullptr, {Send(WM_MOUSEMOVE, 0, At(329, 50)), record, Send(WM_COMMAND, IDOK)});
  EXPECT_EQ(shown, (std::vector<HCURSOR>{Arrow()}));
}

TEST_F(AboutBoxTest, PressesOpenTheFirstRegionHitWithTheShell) {
  HWND box = nullptr;
  Run(IDD_ABOUT, nullptr,
      {[&](HWND b) { box = b; }, Send(WM_LBUTTONDOWN, 0, At(329, 50)), Send(WM_LBUTTONDOWN, 0, At(330, 50)),
       Send(WM_LBUTTONDOWN, 0, At(200, 315)), Send(WM_RBUTTONDOWN, 0, At(24, 310)),
       Send(WM_LBUTTONDOWN, 0, At(300, 320)), Send(WM_COMMAND, IDCANCEL)});
  const std::vector<ShellRequest>& opened = TheShellService().Requests();
  ASSERT_EQ(opened.size(), 3u) << "(330, 50) and (200, 315) hit nothing";
  EXPECT_EQ(opened[0].file, kAboutLinks[0].address);
  EXPECT_EQ(opened[1].file, kAboutLinks[3].address) << "the right button too";
  EXPECT_EQ(opened[2].file, kAboutLinks[4].address);
  for (const ShellRequest& r : opened) {
    EXPECT_FALSE(r.hasOperation) << "the default verb";
    EXPECT_FALSE(r.hasParameters);
    EXPECT_FALSE(r.hasDirectory);
    EXPECT_EQ(r.showCommand, SW_SHOWMAXIMIZED);
    EXPECT_EQ(r.owner, box);
  }
}

TEST_F(AboutBoxTest, AFailedLaunchIsNotReported) {
  TheShellService().SetOpener([](const ShellRequest&) { return false; });
  ModalDialogRecord d = Run(IDD_ABOUT, nullptr, {Send(WM_LBUTTONDOWN, 0, At(50, 50)), Send(WM_COMMAND, IDOK)});
  EXPECT_EQ(TheShellService().Requests().size(), 1u);
  EXPECT_EQ(d.result, 0);
  EXPECT_TRUE(host().Messages().Records().empty());
}

TEST_F(AboutBoxTest, NegativeTemplateOpensNothing) {
  OpenAboutBox(nullptr, -1, 0, 0, nullptr);
  EXPECT_TRUE(TheModalDialogs().Dialogs().empty());
}

TEST_F(AboutBoxTest, OwnedByTheParentGiven) {
  HWND owner = CreatePlainWindow(L"owner", 0, 0, 100, 100);
  ModalDialogRecord d = Run(IDD_ABOUT, nullptr, {Send(WM_COMMAND, IDOK)}, owner);
  EXPECT_EQ(d.owner, owner);
  DestroyWindow(owner);
}

}  // namespace
