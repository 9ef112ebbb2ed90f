// Damaged scene files: every cut is refused before the current scene changes, every damage is
// refused with an error that says what is wrong, and no byte flipped anywhere breaks the loader.

#include <cstring>
#include <functional>

#include "host/headless/chunk_load.h"
#include "host/headless/scene_file_format.h"
#include "scene_file_fixture.h"

namespace {

struct ChunkAt {
  std::uint16_t id;
  std::size_t data;  // file offset of the first data byte
  std::size_t length;
};

// Every chunk of the file's frame and of the host objects' data, depth first.
std::vector<ChunkAt> ChunksOf(const std::vector<std::uint8_t>& file) {
  std::vector<ChunkAt> out;
  std::span<const std::uint8_t> body(file.data() + scenefile::kFileHeaderSize, file.size() - scenefile::kFileHeaderSize);
  ChunkLoad in(body);
  std::function<void()> walk = [&] {
    while (in.OpenChunk() == IO_OK) {
      const std::uint16_t id = in.CurChunkID();
      out.push_back({id, in.Position() + scenefile::kFileHeaderSize, static_cast<std::size_t>(in.CurChunkLength())});
      if (id == scenefile::kSceneChunk || id == scenefile::kObjectListChunk || id == scenefile::kObjectChunk ||
          id == scenefile::kObjectDataChunk)
        walk();
      in.CloseChunk();
    }
  };
  walk();
  return out;
}

// The data offset of the n-th chunk with this id (0 based) whose data passes match.
std::size_t Find(const std::vector<std::uint8_t>& file, std::uint16_t id, int n = 0,
                 const std::function<bool(const std::uint8_t*)>& match = nullptr) {
  for (const ChunkAt& c : ChunksOf(file))
    if (c.id == id && (!match || match(file.data() + c.data)) && n-- == 0) return c.data;
  ADD_FAILURE() << "no chunk " << id;
  return 0;
}

// The index of the first stored object whose class record passes match.
std::int32_t FirstObject(const std::vector<std::uint8_t>& file, const std::function<bool(const std::uint8_t*)>& match) {
  std::int32_t index = 0;
  for (const ChunkAt& c : ChunksOf(file)) {
    if (c.id != scenefile::kObjectClassChunk) continue;
    if (match(file.data() + c.data)) return index;
    ++index;
  }
  ADD_FAILURE() << "no such object";
  return 0;
}

template <class T>
void Poke(std::vector<std::uint8_t>& file, std::size_t at, T value) {
  std::memcpy(file.data() + at, &value, sizeof value);
}

std::uint32_t U32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

}  // namespace

class SceneFileDamage : public SceneFileTest {
protected:
  void SetUp() override {
    SceneFileTest::SetUp();
    scene_test::BuildFixtureScene();
    file_ = SaveBytes();
    MakeCurrentScene();
  }
  // A scene the loads under test would replace.
  void MakeCurrentScene() {
    host().ResetScene();
    host().CreateNode(L"Current");
  }
  bool CurrentSceneKept() { return host().GetINodeByName(L"Current") && host().AllNodes().size() == 1; }

  std::vector<std::uint8_t> file_;
};

TEST_F(SceneFileDamage, EveryCutIsRefusedAndTheCurrentSceneKept) {
  for (std::size_t n = 0; n < file_.size(); ++n) {
    std::vector<std::uint8_t> cut(file_.begin(), file_.begin() + static_cast<std::ptrdiff_t>(n));
    std::string error;
    ASSERT_FALSE(LoadSceneFromBytes(cut, &error)) << "cut at " << n;
    ASSERT_FALSE(error.empty());
    ASSERT_TRUE(CurrentSceneKept()) << "cut at " << n;
  }
}

TEST_F(SceneFileDamage, DamageIsRefusedWithItsReason) {
  auto modifierClass = [](const std::uint8_t* p) { return U32(p) == OSM_CLASS_ID; };
  auto nonEmptyRefs = [](const std::uint8_t* p) { return U32(p) > 0; };
  struct Case {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> damage;
    const char* reason;
    bool refusedBeforeLoading;  // the current scene is kept
  };
  const Case cases[] = {
      {"not a scene file", [](auto& f) { f[0] = 'X'; }, "not a scene file", true},
      {"newer format", [](auto& f) { f[8] = 2; }, "format version 2; this host reads version 1", true},
      {"frame rate zero", [](auto& f) { Poke(f, Find(f, scenefile::kSceneInfoChunk), 0); },
       "frame rate 0 is out of range", true},
      {"animation range ending before it starts",
       [](auto& f) { Poke(f, Find(f, scenefile::kAnimRangeChunk), 1 << 20); }, "animation range ends before it starts",
       true},
      {"unknown class",
       [&](auto& f) { Poke(f, Find(f, scenefile::kObjectClassChunk, 0, modifierClass) + 4, 0xBADC1A55u); },
       "unknown class (super class 0x810, class 0xBADC1A55:0x1)", true},
      {"reference to an object not stored",
       [&](auto& f) { Poke(f, Find(f, scenefile::kObjectRefsChunk, 0, nonEmptyRefs) + 4, 9999); },
       "refers to object #9999, which is not stored", true},
      {"node tree parent that is no node",
       [](auto& f) {
         std::size_t tree = Find(f, scenefile::kNodeTreeChunk);
         Poke(f, tree + 4 + 8 + 4, 1);  // second entry (Spine): parent = object #1 (the point helper)
       },
       "has a parent that is not an earlier node", true},
      {"bytes after the scene", [](auto& f) { f.push_back(0); }, "bytes follow the scene chunk", true},
      {"a node carrying a modifier",
       [&](auto& f) {
         // OldBone's node comes just before its object; it gets a modifier instead.
         std::int32_t oldBone = FirstObject(f, [](const std::uint8_t* p) { return U32(p) == LEGACY_BONE_SUPERCLASS_ID; });
         Poke(f, Find(f, scenefile::kObjectRefsChunk, oldBone - 1) + 4, FirstObject(f, modifierClass));
       },
       "Node (super class 0x1, class 0x1:0x0): reference 0 cannot hold TestModifier", false},
      {"reference cycle",
       [&](auto& f) { Poke(f, Find(f, scenefile::kObjectRefsChunk, 0, nonEmptyRefs) + 4, 0); },  // Hips → Hips
       "the references of object #0 lead back to it", true},
      {"vertex count beyond its chunk", [](auto& f) { Poke(f, Find(f, scenefile::kMeshVertsChunk), 0x7FFFFFFF); },
       "Editable Mesh (super class 0x10, class 0x9:0x0) failed to load its data", false},
      {"face vertex out of range", [](auto& f) { Poke(f, Find(f, scenefile::kMeshFacesChunk) + 4, 1000u); },
       "a triangle uses a vertex the mesh does not have", false},
      {"two nodes with one handle", [](auto& f) { Poke(f, Find(f, scenefile::kNodeInfoChunk, 1), 1u); },
       "two nodes have the handle 1", false},
      {"modifier data of an unknown version",
       [](auto& f) { Poke(f, Find(f, scene_test::kModifierChunk), 9); },
       "TestModifier (super class 0x810, class 0x5CE7E570:0x1) failed to load its data", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MakeCurrentScene();
    std::vector<std::uint8_t> damaged = file_;
    c.damage(damaged);
    std::string error = LoadError(damaged);
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    if (c.refusedBeforeLoading)
      EXPECT_TRUE(CurrentSceneKept());
    else
      EXPECT_TRUE(host().AllNodes().empty());
  }
}

TEST_F(SceneFileDamage, AStoredReferenceBeyondWhatTheObjectReportsIsRefused) {
  SceneNode* node = host().CreateNode(L"Holder", new DummyObject());
  SceneSaveOptions options;
  options.storedReferences[node->GetObjectRef()] = {host().CreateNode(L"Other")};
  std::vector<std::uint8_t> bytes = SaveBytes(&options);
  std::string error = LoadError(bytes);
  EXPECT_NE(error.find("Dummy (super class 0x50, class 0x876234:0x0): stored reference 0 goes to reference 0, but "
                       "the object has 0"),
            std::string::npos)
      << error;
  EXPECT_TRUE(host().AllNodes().empty());
}

TEST_F(SceneFileDamage, NoFlippedByteBreaksTheLoader) {
  // Whatever loads must save again.
  for (std::size_t at = 0; at < file_.size(); ++at) {
    std::vector<std::uint8_t> damaged = file_;
    damaged[at] ^= 0xFF;
    std::string error;
    if (LoadSceneFromBytes(damaged, &error)) {
      std::vector<std::uint8_t> again;
      ASSERT_TRUE(SaveSceneToBytes(again, &error)) << "byte " << at << ": " << error;
    } else {
      ASSERT_FALSE(error.empty()) << "byte " << at;
    }
  }
}

TEST_F(SceneFileDamage, ASceneWithAReferenceCycleIsNotSaved) {
  // The host allows no cycle: a modifier on a node that refers to that node.
  SceneNode* node = host().CreateNode(L"Loop");
  IDerivedObject* stack = CreateDerivedObject(CreateNewTriObject());
  scene_test::TestModifier* mod = scene_test::NewModifier();
  stack->AddModifier(mod);
  node->SetObjectRef(stack);
  mod->SetNodes({node}, {1.0f});
  std::vector<std::uint8_t> bytes;
  std::string error;
  EXPECT_FALSE(SaveSceneToBytes(bytes, &error));
  EXPECT_NE(error.find("lead back to it"), std::string::npos) << error;
  mod->SetNodes({}, {});
}

TEST_F(SceneFileDamage, ABlockThatOutlivesItsOwnerForgetsIt) {
  // The bag's holder also keeps the top Body modifier's block; with Body's stack cut off, the
  // modifier goes and the block stays.
  scene_test::BuildFixtureScene();
  auto* stack = static_cast<IDerivedObject*>(host().GetINodeByName(L"Body")->GetObjectRef());
  auto* upper = static_cast<scene_test::TestModifier*>(stack->GetModifier(0));
  auto* bagStack = static_cast<IDerivedObject*>(host().GetINodeByName(L"Bag")->GetObjOrWSMRef());
  auto* holder = static_cast<scene_test::TestModifier*>(bagStack->GetModifier(0));
  SceneSaveOptions options;
  options.storedReferences[holder] = {holder->pblock, upper->container};
  options.storedReferences[upper->container] = {upper->pblock};
  std::vector<std::uint8_t> bytes = SaveBytes(&options);
  std::int32_t body = FirstObject(bytes, [](const std::uint8_t* p) { return U32(p) == GEN_DERIVOB_CLASS_ID; }) - 1;
  Poke(bytes, Find(bytes, scenefile::kObjectRefsChunk, body) + 4, scenefile::kNoObject);

  ASSERT_TRUE(Loads(bytes));
  bagStack = static_cast<IDerivedObject*>(host().GetINodeByName(L"Bag")->GetObjOrWSMRef());
  holder = static_cast<scene_test::TestModifier*>(bagStack->GetModifier(0));
  ASSERT_TRUE(holder->container);
  auto* kept = dynamic_cast<IParamBlock2*>(holder->container->GetItem(0));
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->GetOwner(), nullptr);
  EXPECT_EQ(kept->GetInt(scene_test::kCount), 11);
  EXPECT_EQ(host().GetINodeByName(L"Body")->GetObjectRef(), nullptr);
}
