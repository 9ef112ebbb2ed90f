#include "cli/scene/scene_builder.h"

#include <cmath>

#include "host/headless/headless_host.h"
#include "host/headless/utf8_text.h"

namespace {

std::wstring Wide(const std::string& utf8) {
  auto wide = Utf8TextToWide(utf8);
  return wide ? *wide : std::wstring(utf8.begin(), utf8.end());
}

class Builder {
public:
  explicit Builder(const SceneDescription& scene) : scene_(scene), ctx_(scene) {}

  void Run() {
    HeadlessHost& host = TheHost();
    host.SetFrameRate(scene_.frameRate);
    for (std::size_t i = 0; i < scene_.nodes.size(); ++i) Create(i);
    std::vector<std::vector<Modifier*>> stacks(scene_.nodes.size());
    for (std::size_t i = 0; i < scene_.nodes.size(); ++i) stacks[i] = Fill(scene_.nodes[i]);
    host.SetTime(ctx_.Ticks(scene_.time));
    if (scene_.frames) host.SetAnimRange(Interval(ctx_.Ticks(scene_.frames->first), ctx_.Ticks(scene_.frames->second)));
    for (std::size_t i = 0; i < scene_.nodes.size(); ++i) {
      const NodeSpec& parsed = scene_.nodes[i];
      if (Object* obj = objects_[parsed.name]) parsed.object->Finish(ctx_, *ctx_.nodes.at(parsed.name), *obj);
      for (std::size_t m = 0; m < parsed.modifiers.size(); ++m)
        parsed.modifiers[m]->Finish(ctx_, *ctx_.nodes.at(parsed.name), *stacks[i][m]);
    }
  }

private:
  // The node and, first, its parent chain.
  SceneNode* Create(std::size_t i) {
    const NodeSpec& parsed = scene_.nodes[i];
    if (auto it = ctx_.nodes.find(parsed.name); it != ctx_.nodes.end()) return it->second;
    SceneNode* parent = parsed.parent.empty() ? nullptr : Create(std::size_t(scene_.NodeIndex(parsed.parent)));
    SceneNode* node = TheHost().CreateNode(Wide(parsed.name), nullptr, parent);
    ctx_.nodes[parsed.name] = node;
    return node;
  }

  // Transform, keys, offset, colour, object and modifiers; returns the modifiers bottom first.
  std::vector<Modifier*> Fill(const NodeSpec& parsed) {
    SceneNode* node = ctx_.nodes.at(parsed.name);
    TransformTrack& track = node->Track();
    track.position = parsed.position;
    track.rotation = parsed.rotation;
    track.scale = parsed.scale;
    for (const TransformKey& key : parsed.keys) {
      TimeValue t = ctx_.Ticks(key.frame);
      if (key.position) track.positionKeys[t] = *key.position;
      if (key.rotation) track.rotationKeys[t] = *key.rotation;
      if (key.scale) track.scaleKeys[t] = *key.scale;
    }
    node->TransformChanged();
    if (parsed.offset) {
      node->SetObjOffsetPos(parsed.offset->position);
      node->SetObjOffsetRot(parsed.offset->rotation);
      node->SetObjOffsetScale(ScaleValue(parsed.offset->scale, Quat()));
    }
    if (parsed.wireColor) node->SetWireColor(*parsed.wireColor);

    std::vector<Modifier*> stack;
    if (!parsed.object) return stack;
    Object* obj = parsed.object->Create(ctx_);
    objects_[parsed.name] = obj;
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
  std::map<std::string, Object*> objects_;  // each node's base object, by node name
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
  const int ticksPerFrame = TIME_TICKSPERSEC / (frameRate > 0 ? frameRate : 30);
  return static_cast<TimeValue>(std::llround(frame * ticksPerFrame));
}

double TicksToFrame(TimeValue ticks, int frameRate) {
  const int ticksPerFrame = TIME_TICKSPERSEC / (frameRate > 0 ? frameRate : 30);
  return double(ticks) / ticksPerFrame;
}

bool BuildScene(const SceneDescription& scene, SceneError& error) {
  TheHost().ResetScene();
  try {
    Builder(scene).Run();
    return true;
  } catch (const SceneParseError& e) {
    error = e.Error();
  } catch (const std::exception& e) {
    error = {scene.file, "", e.what()};
  }
  TheHost().ResetScene();
  return false;
}
