// The Wobblex as the host gets it from the plug-in module: created by its descriptor with the
// creation values, its parameters refusing script values. The module is unloaded again, so that
// the other tests of this process keep their own Wobblex class.

#include "host/headless/headless_host.h"
#include "host/headless/plugin_loader.h"
#include "host/headless/scripting.h"
#include "module/registry/class_ids.h"

#include <gtest/gtest.h>

namespace {

TEST(WobblexFromModule, DescriptorCreatesAModifierWithItsCreationValues) {
  TheHost().ResetScene();
  std::string error;
  std::unique_ptr<PluginModule> module = PluginModule::Load(TESSARIN_MODULE_PATH, &error);
  ASSERT_NE(module, nullptr) << error;
  ASSERT_EQ(module->Classes().size(), 4u);
  ClassDesc* cd = module->Classes()[1];
  ASSERT_EQ(cd->ClassID(), WOBBLEX_CLASS_ID);
  auto* obj = static_cast<Modifier*>(cd->Create(FALSE));
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->ClassID(), WOBBLEX_CLASS_ID);
  EXPECT_EQ(obj->SuperClassID(), static_cast<SClass_ID>(WSM_CLASS_ID));
  ASSERT_EQ(obj->NumParamBlocks(), 1);
  IParamBlock2* block = obj->GetParamBlock(0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->GetInt(3), 10 * GetTicksPerFrame());  // period_x
  EXPECT_EQ(block->GetInt(6), 100);                      // lock_y
  EXPECT_FALSE(ScriptSetParameter(obj, L"delay", PB2Value::Int(5)));
  EXPECT_EQ(ScriptGetParameter(obj, L"delay")->i, 0);
  obj->DeleteThis();
  module.reset();
}

}  // namespace
