// The Wobblex as the host gets it from the loaded plug-in module: created by its descriptor with
// the creation values, its parameters refusing script values.

#include "host/headless/scripting.h"
#include "module/loaded_module.h"
#include "module/registry/class_ids.h"

namespace {

using WobblexFromModule = ModuleTest;

TEST_F(WobblexFromModule, DescriptorCreatesAModifierWithItsCreationValues) {
  ObjectPtr obj(CreateThrough(Desc(1)));
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->ClassID(), WOBBLEX_CLASS_ID);
  EXPECT_EQ(obj->SuperClassID(), static_cast<SClass_ID>(WSM_CLASS_ID));
  ASSERT_EQ(obj->NumParamBlocks(), 1);
  IParamBlock2* block = obj->GetParamBlock(0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->GetInt(3), 10 * GetTicksPerFrame());  // period_x
  EXPECT_EQ(block->GetInt(6), 100);                      // lock_y
  EXPECT_FALSE(ScriptSetParameter(obj.get(), L"delay", PB2Value::Int(5)));
  EXPECT_EQ(ScriptGetParameter(obj.get(), L"delay")->i, 0);
}

}  // namespace
