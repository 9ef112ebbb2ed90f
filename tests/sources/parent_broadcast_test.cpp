// The parent broadcast: every node's parent (not the root) hears one geometry change, and the
// module's record of the host's main window is refreshed; message 0x108 to an orbicle or a
// fluxel runs it once, even when the broadcast leads back to the source.

#include <memory>

#include "deformer/message_routine.h"
#include "influence_source_fixture.h"
#include "sources/parent_broadcast.h"

namespace {

class ParentBroadcastTest : public InfluenceSourceTest {};

TEST_F(ParentBroadcastTest, EveryParentHearsOneChangeAndTopLevelNodesNone) {
  SceneNode* bone = host().CreateNode(L"bone");
  host().CreateNode(L"orb", new Orbicle(), bone);
  SceneNode* second = host().CreateNode(L"second", nullptr, bone);
  host().CreateNode(L"grandchild", nullptr, second);
  SceneNode* lone = host().CreateNode(L"lone");
  ChangeRecorder onBone(bone), onSecond(second), onLone(lone);

  SetMessageOwner(nullptr);
  BroadcastToParents();
  EXPECT_EQ(onBone.changes, 1);
  EXPECT_EQ(onBone.lastPart, PART_GEOM);
  EXPECT_EQ(onSecond.changes, 1);
  EXPECT_EQ(onLone.changes, 0);
  EXPECT_EQ(MessageOwner(), host().GetMAXHWnd());
}

TEST_F(ParentBroadcastTest, RefreshMessageBroadcastsOnceEvenWhenItComesBack) {
  struct Case {
    const char* name;
    std::function<ReferenceTarget*(SceneNode* parent)> make;  // the source, on a child of parent
  };
  const Case cases[] = {
      {"orbicle",
       [&](SceneNode* parent) -> ReferenceTarget* {
         auto* ob = new Orbicle();
         host().CreateNode(L"orb", ob, parent);
         return ob;
       }},
      {"fluxel",
       [&](SceneNode* parent) -> ReferenceTarget* {
         auto* fx = new Fluxel();
         NodeWith(L"muscle", CreateNewTriObject(), {fx}, parent);
         return fx;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host().ResetScene();
    SceneNode* bone = host().CreateNode(L"bone");
    ReferenceTarget* source = c.make(bone);
    auto recorder = std::make_unique<ChangeRecorder>(bone);
    // The parent's change reaches back to the source with the same message.
    recorder->onChange = [&] {
      PartID part = PART_ALL;
      source->SendRefMessage(FOREVER, nullptr, part, kSourceRefreshMessage, TRUE);
    };
    PartID part = PART_ALL;
    EXPECT_EQ(source->SendRefMessage(FOREVER, nullptr, part, kSourceRefreshMessage, TRUE), REF_SUCCEED);
    EXPECT_EQ(recorder->changes, 1);
    // Once it is over, the next message broadcasts again.
    recorder->onChange = nullptr;
    source->SendRefMessage(FOREVER, nullptr, part, kSourceRefreshMessage, TRUE);
    EXPECT_EQ(recorder->changes, 2);
    // Other messages do not.
    source->SendRefMessage(FOREVER, nullptr, part, REFMSG_USER, TRUE);
    EXPECT_EQ(recorder->changes, 2);
  }
}

}  // namespace
