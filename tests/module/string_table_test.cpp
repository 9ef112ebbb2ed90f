// The module's string loader: one shared buffer of 512 wide characters.

#include <gtest/gtest.h>

#include "module/resources/resource_directory.h"
#include "module/resources/string_table.h"

namespace {

class StringTable : public ::testing::Test {
protected:
  void SetUp() override { SetModuleInstance(TessarinResourceHandle()); }
  void TearDown() override { SetModuleInstance(nullptr); }
};

TEST_F(StringTable, NothingLoadsBeforeTheModuleHandleIsSet) {
  SetModuleInstance(nullptr);
  EXPECT_EQ(GetString(30), nullptr);
  EXPECT_EQ(GetStringUtf8(30), "");
}

TEST_F(StringTable, TwoLoadsShareOneBufferHoldingTheSecondText) {
  const MCHAR* first = GetString(30);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(std::wstring(first), L"Korvel Plugins");
  const MCHAR* second = GetString(243);
  EXPECT_EQ(second, first);
  EXPECT_EQ(std::wstring(first), L"Tessarin");
}

TEST_F(StringTable, MissingEntriesYieldNull) {
  EXPECT_EQ(GetString(0), nullptr);
  EXPECT_EQ(GetString(9999), nullptr);
  EXPECT_EQ(GetStringUtf8(9999), "");
}

TEST_F(StringTable, MessageTextsKeepTheirCaptionAndLineBreaks) {
  EXPECT_EQ(GetStringUtf8(152), "Tessarin|Wrong or missing bone\n\r%s");
  EXPECT_EQ(GetStringUtf8(72), "Fluxel & Orbicle On/Off");
}

}  // namespace
