// Loading plug-in modules by path: the entry points in the host's order, the class directory,
// and the loader's refusals.

#include <filesystem>

#include "loaded_module.h"
#include "module/registry/class_ids.h"

namespace {

TEST(ModuleLoader, WalksTheEntryPointsOfTheBuiltModule) {
  PluginModule* module = LoadedModule();
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->Version(), 0x55F03700u);
  EXPECT_EQ(module->NumberClasses(), 4);
  for (int i = 0; i < 4; ++i) {
    ASSERT_NE(module->ClassDescAt(i), nullptr) << i;
    EXPECT_EQ(module->ClassDescAt(i), module->Classes()[i]) << i;
  }
  EXPECT_EQ(module->ClassDescAt(-1), nullptr);
  EXPECT_EQ(module->ClassDescAt(4), nullptr);
  EXPECT_NE(module->Description().find(L"4.85.0"), std::wstring::npos);
}

TEST(ModuleLoader, RegistersEveryDescriptorWithTheHost) {
  PluginModule* module = LoadedModule();
  ASSERT_NE(module, nullptr);
  for (ClassDesc* cd : module->Classes())
    EXPECT_EQ(TheHost().FindClass(cd->SuperClassID(), cd->ClassID()), cd) << cd->ClassName();
}

TEST(ModuleLoader, FindsTheModuleNextToTheProgram) {
  std::string path = ModulePathNextToExecutable("tessarin.dlm");
  EXPECT_EQ(std::filesystem::path(path), std::filesystem::path(TESSARIN_MODULE_PATH));
  EXPECT_TRUE(std::filesystem::is_regular_file(path));
}

TEST(ModuleLoader, UnloadingRemovesTheModulesClasses) {
  const Class_ID fakeId(0x0FA4E001, 0x0FA4E002);
  std::string error;
  auto module = PluginModule::Load(FAKE_MODULE_OK_PATH, &error);
  ASSERT_NE(module, nullptr) << error;
  EXPECT_EQ(module->Description(), L"fake module");
  EXPECT_NE(TheHost().FindClass(HELPER_CLASS_ID, fakeId), nullptr);
  module.reset();
  EXPECT_EQ(TheHost().FindClass(HELPER_CLASS_ID, fakeId), nullptr);
}

struct RefusedModule {
  const char* name;
  std::string path;
  std::string reason;  // part of the error text
};

class ModuleLoaderRefusal : public ::testing::TestWithParam<RefusedModule> {};

TEST_P(ModuleLoaderRefusal, LoadsNothingAndSaysWhy) {
  std::size_t classesBefore = TheHost().Classes().size();
  std::string error;
  EXPECT_EQ(PluginModule::Load(GetParam().path, &error), nullptr);
  EXPECT_NE(error.find(GetParam().reason), std::string::npos) << error;
  EXPECT_EQ(TheHost().Classes().size(), classesBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModuleLoaderRefusal,
    ::testing::Values(
        RefusedModule{"MissingFile", std::string(TESSARIN_BIN_DIR) + "/no_such_module.dlm", "no such plug-in module"},
        RefusedModule{"NotAModule", TESSARIN_HOST_LIBRARY_PATH, "entry point LibDescription is missing"},
        RefusedModule{"OtherSdk", FAKE_MODULE_OTHER_SDK_PATH, "built for SDK version 0x52083600"},
        RefusedModule{"NoShutdown", FAKE_MODULE_NO_SHUTDOWN_PATH, "entry point LibShutdown is missing"},
        RefusedModule{"NotALibrary", std::string(TESSARIN_SOURCE_DIR) + "/CMakeLists.txt", "cannot be loaded"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
