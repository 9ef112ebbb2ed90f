#pragma once
// The user-interface shell as the module installs it, in a clean headless scene: the module's
// resources and cursors, the shell's services, and recording window-system services.

#include <gtest/gtest.h>

#include "host/headless/rollup_pages.h"
#include "host/headless/shell_service.h"
#include "host/headless/window_model.h"
#include "host/scene_fixture.h"
#include "host/sdk/cursors.h"
#include "host/sdk/winresources.h"
#include "module/resources/module_handles.h"
#include "module/resources/resource_directory.h"
#include "module/resources/resource_ids.h"
#include "module/resources/string_table.h"
#include "ui/ui_install.h"

// 2026-03-01 12:00:00 UTC.
inline constexpr std::int64_t kTestBuildTime = 1772366400;

class UiTest : public SceneTest {
protected:
  void SetUp() override {
    SceneTest::SetUp();
    HINSTANCE instance = TessarinResourceHandle();
    SetModuleInstance(instance);
    SetArrowCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(IDC_ARROW_ID)));
    for (int id = IDC_FIRST_CURSOR; id <= IDC_LAST_CURSOR; ++id)
      SetModuleCursor(id, LoadCursorW(instance, MAKEINTRESOURCEW(id)));
    InstallUserInterface(kTestBuildTime);
    SetScreenSize(1920, 1080);
    TheModalDialogs().Reset();
    TheShellService().Reset();
    SetCursor(nullptr);
  }
  void TearDown() override {
    TheModalDialogs().Reset();
    TheShellService().Reset();
    SceneTest::TearDown();
  }

  static HCURSOR Arrow() { return LoadCursorW(nullptr, MAKEINTRESOURCEW(IDC_ARROW_ID)); }
  static LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }
};
