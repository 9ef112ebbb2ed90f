// Influence tables: the access rule, the purge of tables whose skin is gone, and the stored form
// with its failure handling.

#include <cstring>
#include <limits>

#include "host/headless/chunk_load.h"
#include "host/headless/chunk_save.h"
#include "influence_source_fixture.h"
#include "sources/influence_table.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutU64(Bytes& b, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutF32(Bytes& b, float f) {
  std::uint32_t v;
  std::memcpy(&v, &f, 4);
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

Bytes Saved(const InfluenceTables& tables) {
  ChunkSave save;
  EXPECT_EQ(SaveInfluenceTables(tables, &save), IO_OK);
  EXPECT_FALSE(save.Failed());
  return save.Bytes();
}

IOResult Load(const Bytes& bytes, InfluenceTables& tables) {
  ChunkLoad load(bytes);
  return LoadInfluenceTables(tables, &load);
}

// --- Access ----------------------------------------------------------------------------------

TEST(InfluenceTableAccess, MissingTableIsInsertedFilledWithOne) {
  InfluenceTables tables;
  std::vector<float>& t = AccessInfluenceTable(tables, 7, 4);
  EXPECT_EQ(t, std::vector<float>(4, 1.0f));
  ASSERT_EQ(tables.size(), 1u);
  EXPECT_EQ(&tables.at(7), &t);
}

TEST(InfluenceTableAccess, TableOfTheRightSizeIsReturnedAsItIs) {
  InfluenceTables tables{{7, {0.1f, 0.2f, 0.3f}}};
  std::vector<float>& t = AccessInfluenceTable(tables, 7, 3);
  EXPECT_EQ(t, (std::vector<float>{0.1f, 0.2f, 0.3f}));
  t[1] = 0.5f;
  EXPECT_EQ(tables.at(7)[1], 0.5f) << "the caller writes the stored table";
}

TEST(InfluenceTableAccess, SizeMismatchResetsTheWholeTableAndLeavesOthers) {
  struct Case {
    const char* name;
    int count;
  };
  for (const Case& c : {Case{"longer", 5}, Case{"shorter", 2}, Case{"empty", 0}, Case{"negative", -3}}) {
    SCOPED_TRACE(c.name);
    InfluenceTables tables{{7, {0.1f, 0.2f, 0.3f}}, {9, {0.4f}}};
    EXPECT_EQ(AccessInfluenceTable(tables, 7, c.count), std::vector<float>(c.count > 0 ? c.count : 0, 1.0f));
    EXPECT_EQ(tables.at(9), std::vector<float>{0.4f});
  }
}

// --- Purge -----------------------------------------------------------------------------------

TEST(InfluenceTablePurge, KeepsExactlyTheLiveKeys) {
  InfluenceTables tables{{1, {0.5f}}, {2, {0.5f}}, {3, {0.5f}}};
  PurgeInfluenceTables(tables, {3, 1, 1, 99});
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_TRUE(tables.contains(1));
  EXPECT_TRUE(tables.contains(3));
}

class InfluenceTableSceneTest : public InfluenceSourceTest {};

TEST_F(InfluenceTableSceneTest, StaleTablesAreThoseOfSkinsNoLongerInTheScene) {
  Tessarin* kept = SkinOnNode(L"kept", 3);
  Tessarin* deleted = SkinOnNode(L"deleted", 3);
  Tessarin* loose = LooseSkin(3);  // exists, but in no scene
  InfluenceTables tables{{kept->instanceStamp, {0.2f, 0.2f, 0.2f}},
                         {deleted->instanceStamp, {0.3f, 0.3f, 0.3f}},
                         {loose->instanceStamp, {0.4f, 0.4f, 0.4f}}};
  host().DeleteNode(host().GetINodeByName(L"deleted"));
  PurgeStaleInfluenceTables(tables);
  ASSERT_EQ(tables.size(), 1u);
  EXPECT_EQ(tables.at(kept->instanceStamp), std::vector<float>(3, 0.2f));
}

// --- Stored form -----------------------------------------------------------------------------

TEST(InfluenceTableStorage, NoTablesStoreACountOfZeroOnlyAndLoadEmpty) {
  const Bytes bytes = Saved({});
  EXPECT_EQ(bytes, Bytes(8, 0));
  InfluenceTables tables{{5, {1.0f}}};
  EXPECT_EQ(Load(bytes, tables), IO_OK);
  EXPECT_TRUE(tables.empty()) << "loading empties the collection first";
}

TEST(InfluenceTableStorage, TwoTablesStoreSeventyTwoBytesInKeyOrderAndLoadBack) {
  const InfluenceTables tables{{0x1122334455667788ull, {0.5f, 0.25f, 1.0f}},
                               {42, {0.0f, 0.1f, 0.2f, 0.3f, 0.4f}}};
  Bytes expected;
  PutU64(expected, 2);
  PutU64(expected, 42);
  PutU64(expected, 5);
  for (float f : {0.0f, 0.1f, 0.2f, 0.3f, 0.4f}) PutF32(expected, f);
  PutU64(expected, 0x1122334455667788ull);
  PutU64(expected, 3);
  for (float f : {0.5f, 0.25f, 1.0f}) PutF32(expected, f);

  const Bytes bytes = Saved(tables);
  EXPECT_EQ(bytes.size(), 72u);
  EXPECT_EQ(SavedSizeOfInfluenceTables(tables), 72u);
  EXPECT_EQ(bytes, expected);

  InfluenceTables loaded;
  EXPECT_EQ(Load(bytes, loaded), IO_OK);
  EXPECT_EQ(loaded, tables);
}

TEST(InfluenceTableStorage, LaterEqualKeyReplacesTheEarlierTable) {
  Bytes bytes;
  PutU64(bytes, 2);
  PutU64(bytes, 9);
  PutU64(bytes, 1);
  PutF32(bytes, 0.25f);
  PutU64(bytes, 9);
  PutU64(bytes, 2);
  PutF32(bytes, 0.5f);
  PutF32(bytes, 0.75f);
  InfluenceTables tables;
  EXPECT_EQ(Load(bytes, tables), IO_OK);
  EXPECT_EQ(tables, (InfluenceTables{{9, {0.5f, 0.75f}}}));
}

// A damaged form fails; the tables read completely before the damage stay.
TEST(InfluenceTableStorage, DamagedFormFailsKeepingTheTablesReadBefore) {
  const Bytes good = Saved({{1, {0.5f, 0.5f}}, {2, {0.25f}}});  // 8 + 24 + 20 bytes
  struct Case {
    const char* name;
    Bytes bytes;
    std::size_t tablesKept;
  };
  Bytes countOnly;
  PutU64(countOnly, 3);
  Bytes hugeCount = Bytes(good.begin(), good.begin() + 32);
  hugeCount[0] = 3;
  PutU64(hugeCount, 7);
  PutU64(hugeCount, std::numeric_limits<std::uint64_t>::max() / 2);  // bytes would wrap in 32 bits
  Bytes countOverChunk = Bytes(good.begin(), good.begin() + 32);
  countOverChunk[0] = 3;
  PutU64(countOverChunk, 7);
  PutU64(countOverChunk, 0x40000001ull);  // 4 × n taken to 32 bits would read 4 bytes
  PutF32(countOverChunk, 0.5f);
  const Case cases[] = {
      {"no bytes", {}, 0},
      {"short table count", Bytes(good.begin(), good.begin() + 5), 0},
      {"tables missing", countOnly, 0},
      {"short key", Bytes(good.begin(), good.begin() + 12), 0},
      {"values cut short", Bytes(good.begin(), good.end() - 1), 1},
      {"value count beyond every byte", hugeCount, 1},
      {"value count whose 32-bit byte count wraps", countOverChunk, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InfluenceTables tables{{77, {0.0f}}};
    EXPECT_EQ(Load(c.bytes, tables), IO_ERROR);
    EXPECT_EQ(tables.size(), c.tablesKept);
    if (c.tablesKept > 0) {
      EXPECT_EQ(tables.at(1), (std::vector<float>{0.5f, 0.5f}));
    }
  }
}

// The form is read from the rest of the current chunk: the chunk's end is where the data ends.
TEST(InfluenceTableStorage, ValuesMayNotReachPastTheChunk) {
  ChunkSave save;
  save.BeginChunk(0x5000);
  ASSERT_EQ(SaveInfluenceTables({{3, {0.5f, 0.5f}}}, &save), IO_OK);
  save.EndChunk();
  Bytes bytes = save.Bytes();
  // Shrink the chunk by one value: its data ends inside the table.
  bytes[2] = static_cast<std::uint8_t>(bytes[2] - 4);
  PutF32(bytes, 0.5f);  // a byte beyond the chunk that must not be read
  ChunkLoad load(bytes);
  ASSERT_EQ(load.OpenChunk(), IO_OK);
  InfluenceTables tables;
  EXPECT_EQ(LoadInfluenceTables(tables, &load), IO_ERROR);
  EXPECT_TRUE(tables.empty());
}

TEST(InfluenceTableStorage, FailedWriteIsReturnedAtOnce) {
  ChunkSave save;
  save.SetWriteLimit(20);
  EXPECT_EQ(SaveInfluenceTables({{1, {0.5f, 0.5f, 0.5f}}}, &save), IO_ERROR);
  EXPECT_LE(save.Bytes().size(), 20u);
}

}  // namespace
