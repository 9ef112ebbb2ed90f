// The loaded module's resources, read the way the host reads them: through its instance handle.

#include <png.h>

#include <algorithm>
#include <set>
#include <vector>

#include "host/sdk/winresources.h"
#include "loaded_module.h"

namespace {

class ModuleResources : public ModuleTest {
protected:
  void SetUp() override {
    ModuleTest::SetUp();
    instance_ = Desc(0)->HInstance();
    ASSERT_NE(instance_, nullptr);
  }
  const DialogTemplateResource* Dialog(int id) { return FindDialogTemplate(instance_, MAKEINTRESOURCEW(id)); }

  HINSTANCE instance_ = nullptr;
};

TEST_F(ModuleResources, StringsLoadThroughTheInstanceHandle) {
  wchar_t text[512];
  EXPECT_EQ(LoadStringW(instance_, 30, text, 512), 14);
  EXPECT_EQ(std::wstring(text), L"Korvel Plugins");
  EXPECT_EQ(LoadStringW(instance_, 29, text, 512), 0);
  EXPECT_EQ(text[0], L'\0');
  // A short buffer keeps the start of the text, terminated.
  EXPECT_EQ(LoadStringW(instance_, 30, text, 7), 6);
  EXPECT_EQ(std::wstring(text), L"Korvel");
}

TEST_F(ModuleResources, CommandPanelPageHasItsThreeButtons) {
  const DialogTemplateResource* d = Dialog(519);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->cx, 108);
  EXPECT_EQ(d->cy, 54);
  EXPECT_EQ(std::wstring(d->font), L"MS Shell Dlg");
  EXPECT_EQ(d->pointSize, 8);
  struct Button {
    int id;
    const wchar_t* text;
    int x, y, cx, cy;
  };
  const Button expected[] = {
      {1245, L"Help", 4, 3, 99, 14}, {1241, L"Import TSM File", 4, 19, 99, 14}, {1200, L"About Tessarin Proxy", 4, 35, 99, 14}};
  ASSERT_EQ(d->controls.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const DialogControlResource& c = d->controls[i];
    SCOPED_TRACE(expected[i].id);
    EXPECT_EQ(c.id, expected[i].id);
    EXPECT_EQ(std::wstring(c.windowClass), L"CustButton");
    EXPECT_EQ(std::wstring(c.text), expected[i].text);
    EXPECT_EQ(c.x, expected[i].x);
    EXPECT_EQ(c.y, expected[i].y);
    EXPECT_EQ(c.cx, expected[i].cx);
    EXPECT_EQ(c.cy, expected[i].cy);
  }
}

TEST_F(ModuleResources, AboutBoxesArePlainModalFrames) {
  const std::pair<int, const wchar_t*> boxes[] = {{531, L"About"}, {502, L"About Tessarin"}};
  for (const auto& [id, title] : boxes) {
    SCOPED_TRACE(id);
    const DialogTemplateResource* d = Dialog(id);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->cx, 450);
    EXPECT_EQ(d->cy, 207);
    EXPECT_EQ(std::wstring(d->title), title);
    EXPECT_EQ(std::wstring(d->font), L"MS Sans Serif");
    EXPECT_EQ(d->pointSize, 8);
    EXPECT_TRUE(d->controls.empty());
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    EXPECT_EQ(d->style & style, style);
  }
}

struct RolloutTemplate {
  int id;
  int cx, cy;
  std::vector<int> controls;  // ids the rollout's code addresses
};

TEST_F(ModuleResources, RolloutsHoldTheirControlsInsideTheirBounds) {
  const RolloutTemplate rollouts[] = {
      {509, 108, 253, {1074, 1075, 1086, 1097, 1077, 1076, 1080, 1078, 1088, 1081, 1092, 1090, 1197, 1210, 1202,
                       1211, 1212, 1213, 1214, 1215, 1216, 1217, 1218, 1219, 1220, 1221, 1222, 1223, 1079}},
      {501, 108, 180, {1167, 1168, 1002, 1006, 1141, 1142, 1143, 1144, 1145, 1146, 1148, 1149, 1152, 1150, 1153,
                       1151, 1154, 1004, 1008, 1317, 1316, 1147}},
      {530, 108, 121, {1208, 1155, 1156, 1157, 1158, 1159, 1160, 1161, 1162, 1163, 1164, 1314, 1315, 1166}},
      {510, 108, 78, {1114, 1115, 1117, 1128, 1234, 1231}},
  };
  for (const RolloutTemplate& r : rollouts) {
    SCOPED_TRACE(r.id);
    const DialogTemplateResource* d = Dialog(r.id);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->cx, r.cx);
    EXPECT_EQ(d->cy, r.cy);
    std::multiset<int> ids;
    for (const DialogControlResource& c : d->controls) {
      if (c.id != -1) ids.insert(c.id);
      EXPECT_GE(c.x, 0) << c.id;
      EXPECT_GE(c.y, 0) << c.id;
      EXPECT_LE(c.x + c.cx, d->cx) << c.id;
      EXPECT_LE(c.y + c.cy, d->cy) << c.id;
    }
    EXPECT_EQ(ids, std::multiset<int>(r.controls.begin(), r.controls.end()));
  }
  // The controls named by parameters that have none are absent.
  for (const auto& [templ, control] : {std::pair{510, 1123}, std::pair{501, 1240}, std::pair{530, 1196}})
    for (const DialogControlResource& c : Dialog(templ)->controls) EXPECT_NE(c.id, control) << templ;
}

TEST_F(ModuleResources, CursorsOfTheModuleAndTheSystemArrowLoad) {
  for (int id = 1258; id <= 1266; ++id) {
    HCURSOR cursor = LoadCursorW(instance_, MAKEINTRESOURCEW(id));
    ASSERT_NE(cursor, nullptr) << id;
    EXPECT_EQ(CursorOf(cursor)->id, id);
  }
  EXPECT_EQ(LoadCursorW(instance_, MAKEINTRESOURCEW(1257)), nullptr);
  EXPECT_EQ(LoadCursorW(instance_, MAKEINTRESOURCEW(1267)), nullptr);
  EXPECT_NE(LoadCursorW(nullptr, MAKEINTRESOURCEW(IDC_ARROW_ID)), nullptr);
}

TEST_F(ModuleResources, AcceleratorTableHoldsTheNineteenShortcutsInActionOrder) {
  HACCEL table = LoadAcceleratorsW(instance_, MAKEINTRESOURCEW(508));
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(CopyAcceleratorTableW(table, nullptr, 0), 19);
  std::vector<ACCEL> entries(19);
  ASSERT_EQ(CopyAcceleratorTableW(table, entries.data(), 19), 19);
  const BYTE alt = FVIRTKEY | FALT, ctrl = FVIRTKEY | FCONTROL, shift = FVIRTKEY | FSHIFT, key = FVIRTKEY;
  const ACCEL expected[] = {
      {alt, 'V', 1274},      {alt, 'M', 1275},        {alt, 'O', 1273},   {key, VK_PRIOR, 1278}, {ctrl, VK_PRIOR, 1279},
      {key, VK_NEXT, 1280},  {ctrl, VK_NEXT, 1281},   {ctrl, 'X', 1282},  {shift, 'X', 1283},    {key, VK_SUBTRACT, 1284},
      {key, VK_ADD, 1285},   {alt, 'R', 1286},        {alt, 'L', 1287},   {key, '1', 1288},      {key, '2', 1289},
      {key, VK_SPACE, 1290}, {key, 'D', 1292},        {ctrl, 'D', 1293},  {alt, 'B', 1320},
  };
  for (int i = 0; i < 19; ++i) {
    SCOPED_TRACE(expected[i].cmd);
    EXPECT_EQ(entries[i].cmd, expected[i].cmd);
    EXPECT_EQ(entries[i].fVirt, expected[i].fVirt);
    EXPECT_EQ(entries[i].key, expected[i].key);
  }
  EXPECT_EQ(LoadAcceleratorsW(instance_, MAKEINTRESOURCEW(509)), nullptr);
}

TEST_F(ModuleResources, AboutPictureIsAPngOf680By337) {
  HRSRC res = FindResourceW(instance_, MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(RT_RCDATA_TYPE));
  ASSERT_NE(res, nullptr);
  const void* data = LockResource(LoadResource(instance_, res));
  DWORD size = SizeofResource(instance_, res);
  ASSERT_NE(data, nullptr);
  ASSERT_GT(size, 8u);

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&image, data, size)) << image.message;
  EXPECT_EQ(image.width, 680u);
  EXPECT_EQ(image.height, 337u);
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  // Decoding the whole image checks every chunk and the compressed data.
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << image.message;

  EXPECT_EQ(FindResourceW(instance_, MAKEINTRESOURCEW(17), MAKEINTRESOURCEW(RT_RCDATA_TYPE)), nullptr);
}

}  // namespace
