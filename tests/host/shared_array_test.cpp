// Copy-on-write arrays (the faces of a mesh): a copy shares its source's buffer until either is
// changed, and a change through any mutator never shows in the other.

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "host/sdk/shared_array.h"

namespace {

using Values = std::vector<int>;

TEST(SharedArray, CopiesShareUntilChangedAndAChangeStaysInTheArrayChanged) {
  struct Case {
    const char* name;
    std::function<void(SharedArray<int>&)> change;
    Values expected;  // of the changed array; the other keeps {1, 2, 3}
  };
  const Case cases[] = {
      {"element written", [](SharedArray<int>& a) { a[1] = 9; }, {1, 9, 3}},
      {"edited", [](SharedArray<int>& a) { a.Edit().back() = 7; }, {1, 2, 7}},
      {"appended", [](SharedArray<int>& a) { a.push_back(4); }, {1, 2, 3, 4}},
      {"resized", [](SharedArray<int>& a) { a.resize(1); }, {1}},
      {"reserved then written", [](SharedArray<int>& a) { a.reserve(100); a[0] = 5; }, {5, 2, 3}},
      {"assigned", [](SharedArray<int>& a) { a = {8}; }, {8}},
      {"cleared", [](SharedArray<int>& a) { a.clear(); }, {}},
  };
  for (const Case& c : cases) {
    for (bool changeTheCopy : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (changeTheCopy ? ", the copy" : ", the source"));
      SharedArray<int> source = {1, 2, 3};
      SharedArray<int> copy = source;
      EXPECT_TRUE(copy.SharesWith(source));
      EXPECT_EQ(copy.data(), source.data());  // reading never copies

      SharedArray<int>& changed = changeTheCopy ? copy : source;
      const SharedArray<int>& other = changeTheCopy ? source : copy;
      c.change(changed);
      EXPECT_FALSE(changed.SharesWith(other));
      EXPECT_EQ(changed.View(), c.expected);
      EXPECT_EQ(other.View(), (Values{1, 2, 3}));
    }
  }
}

TEST(SharedArray, AnArrayOfItsOwnIsChangedInPlace) {
  SharedArray<int> a = {1, 2, 3};
  const int* before = a.data();
  a[0] = 4;
  a.Edit()[1] = 5;
  EXPECT_EQ(a.data(), before);
  EXPECT_EQ(a.View(), (Values{4, 5, 3}));

  // Once the other copy is gone, the remaining one owns the buffer again.
  { SharedArray<int> copy = a; }
  a[2] = 6;
  EXPECT_EQ(a.data(), before);
}

TEST(SharedArray, AnEmptyArrayReadsAsEmptyAndGrowsWhenEdited) {
  SharedArray<int> a;
  EXPECT_TRUE(a.empty());
  EXPECT_EQ(a.begin(), a.end());
  EXPECT_EQ(a.data(), nullptr);
  SharedArray<int> copy = a;
  copy.push_back(1);
  EXPECT_TRUE(a.empty());
  EXPECT_EQ(copy.View(), (Values{1}));
  EXPECT_TRUE(a == SharedArray<int>());
  EXPECT_FALSE(a == copy);
}

}  // namespace
