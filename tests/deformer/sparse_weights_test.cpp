// Sparse weights: per vertex the bones with a weight above zero, in bone-table order.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "deformer/sparse_weights.h"

namespace {

TEST(SparseWeights, KeepsTheWeightsAboveZeroInBoneOrder) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* name;
    int bones;
    std::vector<float> weights;  // bones × vertices, vertex-major
    std::vector<std::vector<std::pair<int, float>>> rows;
  };
  const Case cases[] = {
      {"dense rows", 2, {0.25f, 0.75f, 1.0f, 1e-30f}, {{{0, 0.25f}, {1, 0.75f}}, {{0, 1.0f}, {1, 1e-30f}}}},
      {"zeros and negatives dropped", 3, {0.0f, 0.5f, -0.0f, -0.2f, 0.0f, 1.2f}, {{{1, 0.5f}}, {{2, 1.2f}}}},
      {"a vertex without influence between two", 2, {0.5f, 0.5f, 0.0f, 0.0f, 0.0f, 1.0f},
       {{{0, 0.5f}, {1, 0.5f}}, {}, {{1, 1.0f}}}},
      {"no vertices", 4, {}, {}},
      {"a weight that is not a number counts, as in the dense walk", 2, {nan, 0.5f}, {{{0, nan}, {1, 0.5f}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int n = static_cast<int>(c.rows.size());
    SparseWeights table;
    ASSERT_TRUE(BuildSparseWeights(c.weights.data(), c.bones, n, table));
    EXPECT_TRUE(table.Matches(c.bones, n));
    EXPECT_FALSE(table.Matches(c.bones + 1, n));
    ASSERT_EQ(table.offsets.size(), static_cast<std::size_t>(n) + 1);
    EXPECT_EQ(table.offsets[0], 0u);
    for (int j = 0; j < n; ++j) {
      SCOPED_TRACE(j);
      ASSERT_EQ(table.offsets[j + 1] - table.offsets[j], c.rows[j].size());
      for (std::size_t e = 0; e < c.rows[j].size(); ++e) {
        const BoneWeight& got = table.entries[table.offsets[j] + e];
        EXPECT_EQ(got.bone, c.rows[j][e].first);
        if (std::isnan(c.rows[j][e].second))
          EXPECT_TRUE(std::isnan(got.weight));
        else
          EXPECT_EQ(got.weight, c.rows[j][e].second);
      }
    }
    EXPECT_EQ(table.entries.size(), table.offsets[n]);
  }
}

TEST(SparseWeights, RebuildingReplacesTheOldTable) {
  SparseWeights table;
  const std::vector<float> full = {0.5f, 0.5f, 0.5f, 0.5f};
  ASSERT_TRUE(BuildSparseWeights(full.data(), 2, 2, table));
  const std::vector<float> sparse = {0.0f, 1.0f};
  ASSERT_TRUE(BuildSparseWeights(sparse.data(), 1, 2, table));
  EXPECT_TRUE(table.Matches(1, 2));
  EXPECT_EQ(table.entries.size(), 1u);
  EXPECT_EQ(table.offsets, (std::vector<std::uint32_t>{0, 0, 1}));
}

TEST(SparseWeights, RefusesCountsThatDescribeNoWeights) {
  SparseWeights table;
  const std::vector<float> w = {1.0f};
  ASSERT_TRUE(BuildSparseWeights(w.data(), 1, 1, table));
  EXPECT_FALSE(BuildSparseWeights(w.data(), 0, 1, table));
  EXPECT_FALSE(table.Matches(1, 1));
  EXPECT_FALSE(BuildSparseWeights(nullptr, 1, 3, table));
}

}  // namespace
