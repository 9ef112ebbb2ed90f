#include "cli/scene/scene_builder.h"

#include <cmath>
#include <unordered_map>

#include "cli/scene/frame_time.h"
#include "host/headless/headless_host.h"
#include "host/headless/utf8_text.h"

namespace {

std::wstring Wide(const std::string& utf8) {
  auto wide = Utf8TextToWide(utf8);
  return wide ? *wide : std::wstring(utf8.begin(), utf8.end());
}

class Builder {
public:
  // With releaseGeometry, each parsed object lets go of its geometry once its host object exists.
  Builder(const SceneDescription& scene, bool releaseGeometry)
      : scene_(scene), ctx_(scene), releaseGeometry_(releaseGeometry) {}

  // Where building is, for a failure the plug-in or the allocator throws.
  const std::string& Place() const { return place_; }
  std::string Stage() const { return stage_ + " (" + std::to_string(scene_.nodes.size()) + " nodes in all)"; }

  void Run() {
    HeadlessHost& host = TheHost();
    host.SetFrameRate(scene_.frameRate);
    created_.assign(scene_.nodes.size(), nullptr);
    // Parents by index, from the names: descriptions made by code (a glTF file's) may not carry
    // the reader's indices.
    std::unordered_map<std::string, int> byName;
    for (std::size_t i = 0; i < scene_.nodes.size(); ++i) byName.emplace(scene_.nodes[i].name, static_cast<int>(i));
    parents_.assign(scene_.nodes.size(), -1);
    for (std::size_t i = 0; i < scene_.nodes.size(); ++i) {
      auto it = scene_.nodes[i].parent.empty() ? byName.end() : byName.find(scene_.nodes[i].parent);
      if (it != byName.end()) parents_[i] = it->second;
    }
    objects_.assign(scene_.nodes.size(), nullptr);
    stage_ = "the nodes";
    for (std::size_t i = 0; i < scene_.nodes.size(); ++i) Create(i);
    std::vector<std::vector<Modifier*>> stacks(scene_.nodes.size());
    for (std::size_t i = 0; i < scene_.nodes.size(); ++i) {
      place_ = scene_.nodes[i].pointer + "/object";
      stage_ = "the node's object and modifiers";
      stacks[i] = Fill(i);
    }
    host.SetTime(ctx_.Ticks(scene_.time));
    if (scene_.frames) host.SetAnimRange(Interval(ctx_.Ticks(scene_.frames->first), ctx_.Ticks(scene_.frames->second)));
    stage_ = "bones and attachments";
    for (std::size_t i = 0; i < scene_.nodes.size(); ++i) {
      const NodeSpec& parsed = scene_.nodes[i];
      place_ = parsed.pointer;
      if (Object* obj = objects_[i]) parsed.object->Finish(ctx_, *created_[i], *obj);
      for (std::size_t m = 0; m < parsed.modifiers.size(); ++m)
        parsed.modifiers[m]->Finish(ctx_, *created_[i], *stacks[i][m]);
    }
  }

private:
  // The node and, first, those of its parent chain not made yet, top down; each gets its
  // transform while it has no children, so that telling of the change does not walk a subtree.
  void Create(std::size_t i) {
    std::vector<std::size_t> chain;
    for (int k = static_cast<int>(i); k >= 0 && !created_[k]; k = parents_[k]) {
      chain.push_back(k);
      if (chain.size() > scene_.nodes.size()) ctx_.Fail(scene_.nodes[i].pointer + "/parent", "the parent chain loops");
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      const NodeSpec& parsed = scene_.nodes[*it];
      SceneNode* parent = parents_[*it] < 0 ? nullptr : created_[parents_[*it]];
      SceneNode* node = TheHost().CreateNode(Wide(parsed.name), nullptr, parent);
      created_[*it] = node;
      ctx_.nodes[parsed.name] = node;
      SetTransform(parsed, *node);
    }
  }

  // Transform, keys, offset and colour.
  void SetTransform(const NodeSpec& parsed, SceneNode& node) {
    TransformTrack& track = node.Track();
    track.position = parsed.position;
    track.rotation = parsed.rotation;
    track.scale = parsed.scale;
    for (const TransformKey& key : parsed.keys) {
      TimeValue t = ctx_.Ticks(key.frame);
      if (key.position) track.positionKeys[t] = *key.position;
      if (key.rotation) track.rotationKeys[t] = *key.rotation;
      if (key.scale) track.scaleKeys[t] = *key.scale;
    }
    node.TransformChanged();
    if (parsed.offset) {
      node.SetObjOffsetPos(parsed.offset->position);
      node.SetObjOffsetRot(parsed.offset->rotation);
      node.SetObjOffsetScale(ScaleValue(parsed.offset->scale, Quat()));
    }
    if (parsed.wireColor) node.SetWireColor(*parsed.wireColor);
  }

  // Object and modifiers; returns the modifiers bottom first.
  std::vector<Modifier*> Fill(std::size_t i) {
    const NodeSpec& parsed = scene_.nodes[i];
    SceneNode* node = created_[i];
    std::vector<Modifier*> stack;
    if (!parsed.object) return stack;
    Object* obj = parsed.object->Create(ctx_);
    objects_[i] = obj;
    if (releaseGeometry_) parsed.object->ReleaseGeometry();
    if (parsed.modifiers.empty()) {
      node->SetObjectRef(obj);
      return stack;
    }
    // Object-space modifiers on a stack over the object; world-space ones on a stack above it.
    // The node holds both before any modifier is made, so that nothing leaks when one fails.
    bool objectSpace = false, worldSpace = false;
    for (const auto& m : parsed.modifiers) (m->WorldSpace() ? worldSpace : objectSpace) = true;
    IDerivedObject* derived = objectSpace ? CreateDerivedObject(obj) : nullptr;
    Object* below = derived ? static_cast<Object*>(derived) : obj;
    IDerivedObject* wsDerived = worldSpace ? CreateWSDerivedObject(below) : nullptr;
    node->SetObjectRef(wsDerived ? static_cast<Object*>(wsDerived) : below);
    for (const auto& m : parsed.modifiers) {
      Modifier* mod = m->Create(ctx_);
      // On top: the description lists each stack bottom first.
      (m->WorldSpace() ? wsDerived : derived)->AddModifier(mod);
      stack.push_back(mod);
    }
    return stack;
  }

  const SceneDescription& scene_;
  BuildContext ctx_;
  bool releaseGeometry_;
  std::string place_;  // a JSON pointer
  std::string stage_;
  std::vector<int> parents_;          // the parent's index per described node, -1 for the root
  std::vector<SceneNode*> created_;  // one per described node, once made
  std::vector<Object*> objects_;    // each node's base object, one per described node
};

}  // namespace

INode* BuildContext::Node(const std::string& name) const {
  auto it = nodes.find(name);
  return it == nodes.end() ? nullptr : it->second;
}

TimeValue BuildContext::Ticks(double frame) const { return FrameToTicks(frame, scene_.frameRate); }

void BuildContext::Fail(const std::string& pointer, const std::string& what) const {
  throw SceneParseError({scene_.file, pointer, what});
}

TimeValue FrameToTicks(double frame, int frameRate) {
  // Descriptions and commands check their frames (frame_time.h); whatever slips through
  // saturates instead of wrapping.
  if (std::optional<TimeValue> t = FrameTicks(frame, frameRate)) return *t;
  return frame < 0.0 ? TIME_NegInfinity + 1 : TIME_PosInfinity - 1;
}

double TicksToFrame(TimeValue ticks, int frameRate) { return double(ticks) / TicksPerFrame(frameRate); }

namespace {

bool Build(const SceneDescription& scene, SceneError& error, bool releaseGeometry) {
  TheHost().ResetScene();
  Builder builder(scene, releaseGeometry);
  try {
    builder.Run();
    return true;
  } catch (const SceneParseError& e) {
    error = e.Error();
  } catch (const std::bad_alloc&) {
    error = {scene.file, builder.Place(), "out of memory while building " + builder.Stage()};
  } catch (const std::exception& e) {
    error = {scene.file, builder.Place(), e.what()};
  }
  TheHost().ResetScene();
  return false;
}

}  // namespace

bool BuildScene(const SceneDescription& scene, SceneError& error) { return Build(scene, error, false); }

bool BuildSceneOnce(SceneDescription& scene, SceneError& error) { return Build(scene, error, true); }
