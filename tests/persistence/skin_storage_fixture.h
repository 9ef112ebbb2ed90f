#pragma once
// Saving and loading skin modifiers through in-memory streams, in a clean headless scene.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "deformer/tessarin.h"
#include "host/headless/chunk_load.h"
#include "host/headless/chunk_save.h"
#include "host/scene_fixture.h"
#include "persistence/skin_chunks/skin_storage.h"

// A skin modifier owned by a test (the host deletes plug-in objects through DeleteMe).
struct SkinDeleter {
  void operator()(Tessarin* skin) const { skin->DeleteMe(); }
};
using SkinPtr = std::unique_ptr<Tessarin, SkinDeleter>;

struct StoredChunk {
  std::uint16_t id;
  std::vector<std::uint8_t> data;
};

class SkinStorageTest : public SceneTest {
protected:
  void SetUp() override {
    SceneTest::SetUp();
    InstallSkinStorage();
  }

  static SkinPtr NewSkin() { return SkinPtr(new Tessarin()); }

  // What the skin's Save writes.
  static std::vector<std::uint8_t> Saved(Tessarin& skin) {
    ChunkSave save;
    EXPECT_EQ(skin.Save(&save), IO_OK);
    EXPECT_FALSE(save.Failed()) << save.Error();
    return save.TakeBytes();
  }

  struct Loaded {
    IOResult result;
    SkinPtr skin;
  };
  // A new skin that loaded bytes (post-load work not run).
  static Loaded Load(const std::vector<std::uint8_t>& bytes) {
    SkinPtr skin = NewSkin();
    ChunkLoad load(bytes);
    IOResult result = skin->Load(&load);
    return {result, std::move(skin)};
  }

  // The chunks at the top level of a modifier's saved data, in order.
  static std::vector<StoredChunk> TopChunks(const std::vector<std::uint8_t>& bytes) {
    std::vector<StoredChunk> chunks;
    ChunkLoad load(bytes);
    while (load.OpenChunk() == IO_OK) {
      StoredChunk c{load.CurChunkID(), std::vector<std::uint8_t>(load.CurChunkLength())};
      if (!c.data.empty()) load.Read(c.data.data(), static_cast<ULONG>(c.data.size()), nullptr);
      load.CloseChunk();
      chunks.push_back(std::move(c));
    }
    return chunks;
  }
  static std::optional<std::vector<std::uint8_t>> ChunkData(const std::vector<std::uint8_t>& bytes, std::uint16_t id) {
    for (StoredChunk& c : TopChunks(bytes))
      if (c.id == id) return std::move(c.data);
    return std::nullopt;
  }
};

// The table of a modifier that never held bones, as a failed load leaves it.
inline ::testing::AssertionResult TableIsEmptyAndDetached(const BoneTable& t) {
  if (t.boneCount == 0 && t.bones.empty() && t.vertexCount == 0 && t.attachPositions.empty() &&
      t.currentPositions.empty() && t.blendMix.empty() && !t.IsAttached())
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "bones " << t.boneCount << ", vertices " << t.vertexCount << ", attached "
                                       << t.IsAttached();
}
