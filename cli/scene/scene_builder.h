#pragma once
// Builds a checked scene description into the headless host's scene.

#include <map>
#include <string>

#include "cli/scene/scene_description.h"
#include "cli/scene/scene_error.h"
#include "host/sdk/maxtypes.h"

class SceneNode;

// What the parsed class entries build with: the scene's nodes by name, time conversion, and the way to
// report what the plug-in refused.
class BuildContext {
public:
  explicit BuildContext(const SceneDescription& scene) : scene_(scene) {}
  const SceneDescription& Scene() const { return scene_; }
  // The node of that name; null when the description has none.
  INode* Node(const std::string& name) const;
  // A frame number in ticks at the scene's frame rate.
  TimeValue Ticks(double frame) const;
  [[noreturn]] void Fail(const std::string& pointer, const std::string& what) const;

  std::map<std::string, SceneNode*> nodes;

private:
  const SceneDescription& scene_;
};

// A frame in ticks at a frame rate (ticks per frame as the host counts them).
TimeValue FrameToTicks(double frame, int frameRate);
double TicksToFrame(TimeValue ticks, int frameRate);

// Resets the host's scene and builds the description into it: the frame rate; the nodes,
// parents first, with transforms, keys, object offsets, wire colours and objects; the modifier
// stacks; then, at the description's current time, every modifier's Finish (bones, attachment),
// node by node and bottom of each stack first. False with error set when the plug-in refuses
// something; the scene is then reset again.
bool BuildScene(const SceneDescription& scene, SceneError& error);
// The same for a description built once: each object's geometry is released as soon as its host
// object exists (ObjectSpec::ReleaseGeometry), so that a big mesh is not held twice while the
// scene is built and run. The description cannot be built again.
bool BuildSceneOnce(SceneDescription& scene, SceneError& error);
