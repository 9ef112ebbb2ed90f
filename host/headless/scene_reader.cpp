// Loading the scene file: the frame is checked first; then the current scene is replaced. Every
// object is made, then every object reads its data (so that during Load each object already
// knows how many references it will report), then the node tree is linked, the references are
// restored through RemapRefOnLoad, and the post-load callbacks run.

#include <algorithm>
#include <exception>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "host/headless/chunk_load.h"
#include "host/headless/headless_host.h"
#include "host/headless/scene_classes.h"
#include "host/headless/scene_file.h"
#include "host/headless/scene_file_format.h"
#include "host/headless/scene_layout.h"
#include "host/sdk/iparamb2.h"

namespace {

// Holds a reference to every loaded object while the scene is incomplete, so that none deletes
// itself for lack of dependents before its referrers exist; an object deleted anyway (by the
// program) clears its slot. Nodes are owned by the scene and not held.
class LoadKeeper : public ReferenceMaker {
public:
  ~LoadKeeper() override { ReleaseAll(); }
  SClass_ID SuperClassID() override { return 0x0100; }
  int NumRefs() override { return static_cast<int>(held_.size()); }
  RefTargetHandle GetReference(int i) override { return i >= 0 && i < NumRefs() ? held_[i] : nullptr; }

  // Holds target as slot `slot` (slots are assigned in order, one per object).
  void Hold(ReferenceTarget* target) {
    held_.push_back(nullptr);
    ReplaceReference(NumRefs() - 1, target);
  }
  ReferenceTarget* Held(int slot) { return GetReference(slot); }
  // Lets go of everything: objects nothing else references delete themselves.
  void ReleaseAll() {
    for (int i = NumRefs() - 1; i >= 0; --i) ReplaceReference(i, nullptr);
    held_.clear();
  }

protected:
  void SetReference(int i, RefTargetHandle rtarg) override {
    if (i >= 0 && i < NumRefs()) held_[i] = rtarg;
  }

private:
  std::vector<ReferenceTarget*> held_;
};

class SceneReader {
public:
  SceneReader(std::span<const std::uint8_t> file, const SceneLayout& layout)
      : layout_(layout), in_(SceneBody(file)) {}

  bool Read(std::string& error, SceneLoadReport* report);

private:
  bool Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
    return false;
  }
  std::string What(int i) { return "object #" + std::to_string(i) + " " + DescribeObject(objects_[i]); }
  bool IsNode(int i) const {
    return KindOfClass(layout_.objects[i].superClass, layout_.objects[i].classId) == StoredKind::Node;
  }
  // The object at index i if it still exists.
  ReferenceTarget* Live(int i) { return IsNode(i) ? objects_[i] : keeper_.Held(slot_[i]); }

  bool CreateObjects();
  bool LoadObjects();
  bool LinkNodes();
  bool RestoreReferences();
  void DropUnreachable();
  void Abandon();

  HeadlessHost& host_ = TheHost();
  const SceneLayout& layout_;
  ChunkLoad in_;
  LoadKeeper keeper_;
  std::vector<ReferenceTarget*> objects_;  // one per stored object
  std::vector<int> slot_;                   // keeper slot of each non-node object
  std::string error_;
};

bool SceneReader::CreateObjects() {
  objects_.reserve(layout_.objects.size());
  slot_.assign(layout_.objects.size(), -1);
  int slots = 0;
  for (std::size_t i = 0; i < layout_.objects.size(); ++i) {
    const StoredObject& stored = layout_.objects[i];
    ReferenceTarget* object = CreateStoredObject(stored.superClass, stored.classId);
    if (!object)
      return Fail("object #" + std::to_string(i) + " of class " + DescribeClassIds(stored.superClass, stored.classId) +
                  " could not be created");
    objects_.push_back(object);
    if (!IsNode(static_cast<int>(i))) {
      slot_[i] = slots++;
      keeper_.Hold(object);
    }
  }
  in_.SetAddresses(objects_);
  return true;
}

bool SceneReader::LoadObjects() {
  for (std::size_t i = 0; i < objects_.size(); ++i) {
    ReferenceTarget* object = Live(static_cast<int>(i));
    if (!object) return Fail("object #" + std::to_string(i) + " was deleted while the scene was loading");
    if (in_.EnterChunkAt(layout_.objects[i].dataOffset) != IO_OK) return Fail(What(i) + ": its data cannot be entered");
    in_.SetFloor(1);
    in_.TakeProblem();
    if (object->Load(&in_) != IO_OK) {
      std::string problem = in_.TakeProblem();
      return Fail(What(static_cast<int>(i)) + " failed to load its data" + (problem.empty() ? "" : ": " + problem));
    }
  }
  in_.SetFloor(0);
  return true;
}

bool SceneReader::LinkNodes() {
  std::set<ULONG> handles;
  for (const StoredNode& stored : layout_.nodes) {
    ULONG handle = static_cast<SceneNode*>(objects_[stored.object])->GetHandle();
    if (handle == 0) return Fail("node #" + std::to_string(stored.object) + " has no handle");
    if (!handles.insert(handle).second) return Fail("two nodes have the handle " + std::to_string(handle));
  }
  // Stored nodes were made as children of the root, in object order; taken off last first, each
  // is the root's last child, so that a scene of a million nodes is linked in linear time. The
  // tree holds every stored node, so each is back in the scene below.
  for (std::size_t i = objects_.size(); i-- > 0;)
    if (IsNode(static_cast<int>(i))) static_cast<SceneNode*>(objects_[i])->DetachFromParent();
  for (const StoredNode& stored : layout_.nodes) {
    auto* node = static_cast<SceneNode*>(objects_[stored.object]);
    INode* parent = stored.parent == scenefile::kNoObject ? host_.GetRootNode() : static_cast<INode*>(objects_[stored.parent]);
    parent->AttachChild(node, 0);
  }
  return true;
}

bool SceneReader::RestoreReferences() {
  for (std::size_t i = 0; i < objects_.size(); ++i) {
    const std::vector<std::int32_t>& refs = layout_.objects[i].refs;
    ReferenceTarget* object = Live(static_cast<int>(i));
    if (!object) return Fail("object #" + std::to_string(i) + " was deleted while the scene was loading");
    for (std::size_t k = 0; k < refs.size(); ++k) {
      ReferenceTarget* target = nullptr;
      if (refs[k] == scenefile::kSceneRoot) {
        target = host_.GetRootNode();
      } else if (refs[k] >= 0) {
        target = Live(refs[k]);
        if (!target) return Fail("object #" + std::to_string(refs[k]) + " was deleted while the scene was loading");
      }
      const int which = object->RemapRefOnLoad(static_cast<int>(k));
      const int count = object->NumRefs();
      if (which < 0 || which >= count)
        return Fail(What(static_cast<int>(i)) + ": stored reference " + std::to_string(k) + " goes to reference " +
                    std::to_string(which) + ", but the object has " + std::to_string(count));
      if (!HostAcceptsReference(object, which, target))
        return Fail(What(static_cast<int>(i)) + ": reference " + std::to_string(which) + " cannot hold " +
                    DescribeObject(target));
      if (object->ReplaceReference(which, target) != REF_SUCCEED)
        return Fail(What(static_cast<int>(i)) + " refused reference " + std::to_string(which));
    }
  }
  return true;
}

void SceneReader::DropUnreachable() {
  // A file may hold objects no node reaches (a crafted one, or an old block a conversion has
  // replaced): they let go of their references, so that they and what only they held go away.
  std::set<ReferenceMaker*> reached;
  std::vector<SceneNode*> nodes = host_.AllNodes();
  std::vector<ReferenceTarget*> todo(nodes.begin(), nodes.end());
  while (!todo.empty()) {
    ReferenceTarget* t = todo.back();
    todo.pop_back();
    if (!t || !reached.insert(t).second) continue;
    for (int r = 0; r < t->NumRefs(); ++r) todo.push_back(t->GetReference(r));
  }
  for (std::size_t i = 0; i < objects_.size(); ++i) {
    if (IsNode(static_cast<int>(i))) continue;
    ReferenceTarget* object = Live(static_cast<int>(i));
    if (!object) continue;
    if (!reached.count(object)) {
      object->DeleteAllRefs();
    } else if (object->SuperClassID() == PARAMETER_BLOCK2_CLASS_ID) {
      // A block that stays must not name an owner that goes.
      auto* block = static_cast<IParamBlock2*>(object);
      if (block->GetOwner() && !reached.count(block->GetOwner())) block->SetOwner(nullptr);
    }
  }
}

void SceneReader::Abandon() {
  for (std::size_t i = 0; i < objects_.size(); ++i)
    if (!IsNode(static_cast<int>(i)))
      if (ReferenceTarget* object = Live(static_cast<int>(i))) object->DeleteAllRefs();
  host_.ResetScene();
  keeper_.ReleaseAll();
}

bool SceneReader::Read(std::string& error, SceneLoadReport* report) {
  host_.ResetScene();
  host_.SetFrameRate(layout_.frameRate);
  host_.SetTime(layout_.time);
  if (layout_.animRange) host_.SetAnimRange(*layout_.animRange);  // else the reset's default
  bool ok = false;
  try {
    ok = CreateObjects() && LoadObjects() && LinkNodes() && RestoreReferences();
    if (ok) in_.RunPostLoadCallbacks();
  } catch (const std::bad_alloc&) {
    ok = Fail("out of memory while making and loading the scene's " + std::to_string(layout_.objects.size()) +
              " objects (" + std::to_string(layout_.nodes.size()) + " nodes)");
  } catch (const std::exception& e) {
    ok = Fail(std::string("loading stopped: ") + e.what());
  }
  if (!ok) {
    Abandon();
    error = error_;
    return false;
  }
  DropUnreachable();
  keeper_.ReleaseAll();
  ULONG next = layout_.nextHandle;
  for (SceneNode* node : host_.AllNodes()) next = std::max(next, node->GetHandle() + 1);
  host_.SetNextHandle(next);
  if (report) report->warnings = in_.Warnings();
  return true;
}

}  // namespace

bool LoadSceneFromBytes(std::span<const std::uint8_t> bytes, std::string* error, SceneLoadReport* report) {
  if (report) report->warnings.clear();
  SceneLayout layout;
  std::string why;
  bool framed = false;
  try {
    framed = ReadSceneLayout(bytes, layout, why);
  } catch (const std::bad_alloc&) {
    why = "out of memory while reading the file's list of objects (" + std::to_string(bytes.size()) + " bytes)";
  }
  if (!framed) {
    if (error) *error = "the scene file is refused: " + why;
    return false;
  }
  SceneReader reader(bytes, layout);
  if (reader.Read(why, report)) return true;
  if (error) *error = "the scene file could not be loaded: " + why;
  return false;
}
