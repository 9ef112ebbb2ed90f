// The headless window model: dialogs from a module's templates, modal boxes run by a driver and
// closed by the host when the driver leaves them open, custom buttons and spinners, the shell's
// open command.

#include <gtest/gtest.h>

#include <vector>

#include "host/headless/open_file_service.h"
#include "host/headless/shell_service.h"
#include "host/headless/window_model.h"
#include "host/sdk/custcont.h"
#include "host/sdk/wingdi.h"

namespace {

constexpr int kBox = 100;
constexpr int kPage = 200;
constexpr int kButton = 11, kSpinner = 12;

const DialogControlResource kControls[] = {
    {kButton, L"CustButton", L"Press", WS_CHILD, 4, 8, 40, 14},
    {kSpinner, L"SpinnerControl", L"", WS_CHILD, 50, 8, 7, 10},
};

// A module of two templates: a modal box and a child page with two controls.
class TestModule : public ModuleResourceDirectory {
public:
  const wchar_t* FindString(UINT) const override { return nullptr; }
  const DialogTemplateResource* FindDialog(int id) const override {
    for (const DialogTemplateResource& t : templates_)
      if (t.id == id) return &t;
    return nullptr;
  }
  const AcceleratorTableResource* FindAccelerators(int) const override { return nullptr; }
  const CursorResource* FindCursor(int) const override { return nullptr; }
  const RawDataResource* FindData(int, int) const override { return nullptr; }
  HINSTANCE Handle() const { return ModuleHandleOf(this); }

private:
  DialogTemplateResource templates_[2] = {
      {kBox, 40, 16, WS_POPUP | WS_CAPTION | DS_MODALFRAME, L"Box", L"MS Sans Serif", 8, {}},
      {kPage, 80, 40, WS_CHILD, L"", L"MS Shell Dlg", 8, kControls},
  };
};

struct Heard {
  HWND window;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Heard> g_heard;
bool g_refuseCancel = false;

INT_PTR Recording(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  g_heard.push_back({window, msg, wParam, lParam});
  if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) EndDialog(window, 7);
  if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL && !g_refuseCancel) EndDialog(window, 3);
  return TRUE;
}

class WindowModelTest : public ::testing::Test {
protected:
  void SetUp() override {
    g_heard.clear();
    g_refuseCancel = false;
    TheModalDialogs().Reset();
    TheShellService().Reset();
    windowsBefore_ = LiveWindowCount();
  }
  void TearDown() override {
    TheModalDialogs().Reset();
    TheShellService().Reset();
    EXPECT_EQ(LiveWindowCount(), windowsBefore_) << "no window left behind";
  }
  std::vector<UINT> Messages() const {
    std::vector<UINT> m;
    for (const Heard& h : g_heard) m.push_back(h.msg);
    return m;
  }
  TestModule module_;
  int windowsBefore_ = 0;
};

TEST_F(WindowModelTest, ModalBoxRunsByItsDriverAndAnswersTheEndResult) {
  TheModalDialogs().SetDriver([](HWND box) {
    SendMessageW(box, WM_PAINT, 0, 0);
    SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  EXPECT_EQ(DialogBoxParamW(module_.Handle(), MAKEINTRESOURCEW(kBox), nullptr, &Recording, 42), 7);
  EXPECT_EQ(Messages(), (std::vector<UINT>{WM_INITDIALOG, WM_PAINT, WM_COMMAND, WM_DESTROY}));
  EXPECT_EQ(g_heard[0].lParam, 42) << "the initialisation parameter";
  ASSERT_EQ(TheModalDialogs().Dialogs().size(), 1u);
  EXPECT_EQ(TheModalDialogs().Dialogs()[0].templateId, kBox);
  EXPECT_EQ(TheModalDialogs().Dialogs()[0].result, 7);
  EXPECT_FALSE(TheModalDialogs().Dialogs()[0].endedByHost);
}

TEST_F(WindowModelTest, ABoxLeftOpenHearsCancelAndOneThatRefusesItIsDestroyed) {
  EXPECT_EQ(DialogBoxParamW(module_.Handle(), MAKEINTRESOURCEW(kBox), nullptr, &Recording, 0), 3) << "no driver";
  EXPECT_TRUE(TheModalDialogs().Dialogs()[0].endedByHost);
  ASSERT_EQ(g_heard.size(), 3u);
  EXPECT_EQ(LOWORD(g_heard[1].wParam), IDCANCEL);

  g_refuseCancel = true;
  EXPECT_EQ(DialogBoxParamW(module_.Handle(), MAKEINTRESOURCEW(kBox), nullptr, &Recording, 0), -1);
  EXPECT_EQ(g_heard.back().msg, WM_DESTROY);
}

TEST_F(WindowModelTest, MissingTemplatesOpenNothing) {
  EXPECT_EQ(DialogBoxParamW(module_.Handle(), MAKEINTRESOURCEW(999), nullptr, &Recording, 0), -1);
  EXPECT_EQ(CreateDialogParamW(module_.Handle(), MAKEINTRESOURCEW(999), nullptr, &Recording, 0), nullptr);
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(kBox), nullptr, &Recording, 0), -1);
  EXPECT_TRUE(g_heard.empty());
}

TEST_F(WindowModelTest, PopupGeometryFromDialogUnitsAndMoving) {
  TheModalDialogs().SetDriver([](HWND box) {
    RECT client, outer;
    ASSERT_TRUE(GetClientRect(box, &client));
    EXPECT_EQ(client.right, 40 * kDialogBaseUnitX / 4);
    EXPECT_EQ(client.bottom, 16 * kDialogBaseUnitY / 8);
    ASSERT_TRUE(GetWindowRect(box, &outer));
    EXPECT_EQ(outer.right - outer.left, client.right + 2 * kDialogFrame);
    EXPECT_EQ(outer.bottom - outer.top, client.bottom + 2 * kDialogFrame + kDialogCaption);
    SetWindowPos(box, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT moved;
    GetWindowRect(box, &moved);
    EXPECT_EQ(moved.left, 300);
    EXPECT_EQ(moved.top, 200);
    EXPECT_EQ(moved.right - moved.left, outer.right - outer.left) << "size unchanged";
    EndDialog(box, 0);
  });
  DialogBoxParamW(module_.Handle(), MAKEINTRESOURCEW(kBox), nullptr, &Recording, 0);
}

TEST_F(WindowModelTest, PageControlsCustomButtonsAndSpinners) {
  HWND panel = CreatePlainWindow(L"panel", 10, 20, 300, 600);
  HWND page = CreateDialogParamW(module_.Handle(), MAKEINTRESOURCEW(kPage), panel, &Recording, 5);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(GetParent(page), panel);
  HWND button = GetDlgItem(page, kButton);
  HWND spinner = GetDlgItem(page, kSpinner);
  ASSERT_NE(button, nullptr);
  ASSERT_NE(spinner, nullptr);
  EXPECT_EQ(GetDlgCtrlID(button), kButton);
  RECT r;
  GetWindowRect(button, &r);
  EXPECT_EQ(r.left, 10 + 4 * kDialogBaseUnitX / 4) << "placed in the page, in the panel";
  EXPECT_EQ(r.top, 20 + 8 * kDialogBaseUnitY / 8);

  EXPECT_EQ(GetISpinner(button), nullptr) << "a button is no spinner";
  ICustButton* b = GetICustButton(button);
  ASSERT_NE(b, nullptr);
  b->SetType(CBT_CHECK);
  g_heard.clear();
  EXPECT_TRUE(ClickControl(button));
  EXPECT_TRUE(b->IsChecked());
  ASSERT_EQ(g_heard.size(), 1u);
  EXPECT_EQ(g_heard[0].msg, WM_COMMAND);
  EXPECT_EQ(LOWORD(g_heard[0].wParam), kButton);
  b->Disable();
  EXPECT_FALSE(ClickControl(button)) << "a disabled button is not pressed";
  ReleaseICustButton(b);

  ISpinnerControl* s = GetISpinner(spinner);
  ASSERT_NE(s, nullptr);
  s->SetLimits(0.0f, 10.0f);
  g_heard.clear();
  EXPECT_TRUE(SpinControl(spinner, 25.0f));
  EXPECT_FLOAT_EQ(s->GetFVal(), 10.0f) << "the user's value is clamped";
  ASSERT_EQ(g_heard.size(), 1u);
  EXPECT_EQ(g_heard[0].msg, CC_SPINNER_CHANGE);
  EXPECT_EQ(LOWORD(g_heard[0].wParam), kSpinner);
  ReleaseISpinner(s);

  g_heard.clear();
  EXPECT_TRUE(DestroyWindow(page));
  EXPECT_EQ(Messages(), (std::vector<UINT>{WM_DESTROY}));
  EXPECT_FALSE(IsWindow(button)) << "controls go with their dialog";
  EXPECT_EQ(GetICustButton(button), nullptr);
  DestroyWindow(panel);
}

TEST_F(WindowModelTest, ShellRequestsRecordedAndAnsweredByTheOpener) {
  HINSTANCE ok = ShellExecuteW(nullptr, nullptr, L"https://example.org/", nullptr, nullptr, SW_SHOWMAXIMIZED);
  EXPECT_GT(reinterpret_cast<UINT_PTR>(ok), 32u) << "without an opener a request counts as handed over";
  TheShellService().SetOpener([](const ShellRequest&) { return false; });
  HINSTANCE failed = ShellExecuteW(nullptr, L"open", L"x.txt", L"-a", L"/tmp", SW_SHOWNORMAL);
  EXPECT_LE(reinterpret_cast<UINT_PTR>(failed), 32u);
  ASSERT_EQ(TheShellService().Requests().size(), 2u);
  const ShellRequest& second = TheShellService().Requests()[1];
  EXPECT_TRUE(second.hasOperation);
  EXPECT_EQ(second.operation, L"open");
  EXPECT_EQ(second.parameters, L"-a");
  EXPECT_EQ(second.directory, L"/tmp");
  EXPECT_EQ(second.showCommand, SW_SHOWNORMAL);
  EXPECT_FALSE(TheShellService().Requests()[0].hasOperation);
  ShellRequest print;
  print.hasOperation = true;
  print.operation = L"print";
  print.file = L"x.txt";
  EXPECT_FALSE(OpenWithDesktop(print)) << "only the open verb";
  ShellRequest option;
  option.file = L"--help";
  EXPECT_FALSE(OpenWithDesktop(option)) << "never an option to the opener";
}

// As on the platform, structures start with a size field of 0 that the caller must set.
TEST_F(WindowModelTest, CallsRefuseStructuresWhoseSizeIsNotSet) {
  NONCLIENTMETRICSW metrics = {};
  EXPECT_FALSE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  EXPECT_EQ(std::wstring(metrics.lfMessageFont.lfFaceName), L"Segoe UI");

  TheOpenFileService().Reset();
  TheOpenFileService().SetProvider([](const OpenFileRequest&) { return std::optional<std::wstring>(L"/tmp/a.tsm"); });
  wchar_t path[64] = {};
  OPENFILENAMEW ofn = {};
  ofn.lpstrFile = path;
  ofn.nMaxFile = 64;
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_TRUE(TheOpenFileService().Requests().empty());
  ofn.lStructSize = sizeof ofn;
  EXPECT_TRUE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(std::wstring(path), L"/tmp/a.tsm");
  TheOpenFileService().Reset();
}

}  // namespace
