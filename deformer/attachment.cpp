#include "deformer/attachment.h"

#include <algorithm>
#include <new>

#include "deformer/bone_shapes.h"
#include "deformer/message_routine.h"
#include "deformer/spline_binding.h"
#include "deformer/tessarin.h"
#include "deformer/weights.h"
#include "host/sdk/cursors.h"
#include "host/sdk/interface.h"
#include "host/sdk/object_wrapper.h"
#include "module/registry/tessarin_parameters.h"
#include "module/resources/module_handles.h"
#include "module/resources/resource_ids.h"
#include "module/resources/text_conversion.h"

namespace {

constexpr int kAttachedCommand = 71;

constexpr const char* kNoBonesText = "Tessarin|No bones found\n\rAssign bones first";
constexpr const char* kNoMeshText = "Tessarin|Can't get mesh from node %s";
constexpr const char* kNoMemoryText = "Tessarin|Can't allocate memory";

// Shows the module's busy cursor for its lifetime.
class BusyCursor {
public:
  BusyCursor() : previous_(SetCursor(ModuleCursor(IDC_BUSY_CURSOR))) {}
  ~BusyCursor() { SetCursor(previous_); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

private:
  HCURSOR previous_;
};

// Releases an object that wrapping made by conversion.
class ConvertedObject {
public:
  explicit ConvertedObject(Object* obj) : obj_(obj) {}
  ~ConvertedObject() {
    if (obj_) obj_->DeleteThis();
  }
  ConvertedObject(const ConvertedObject&) = delete;
  ConvertedObject& operator=(const ConvertedObject&) = delete;

private:
  Object* obj_;
};

bool Fail(Tessarin& skin) {
  skin.table.Detach();
  return false;
}

// Vertex arrays of the table and the bones, and the selection words, for n vertices; false when
// they cannot be had.
bool ResizeForVertices(Tessarin& skin, int n) {
  try {
    skin.table.ResizeVertexArrays(n);
    skin.settings.vertexSelection.resize(n, 0);
    skin.settings.vertexSelectionCount = n;
  } catch (const std::bad_alloc&) {
    skin.table.ResizeVertexArrays(0);
    return false;
  }
  return !skin.table.attachPositions.empty();
}

}  // namespace

bool Attach(Tessarin& skin, INode* node) {
  BusyCursor busy;
  BoneTable& table = skin.table;
  if (table.boneCount <= 0) {
    ShowSkinMessage(&skin, MB_ICONEXCLAMATION, "%s", kNoBonesText);
    return Fail(skin);
  }

  INode* carrier = skin.CachedNode();
  if (node) skin.nodeCache = node;
  if (!carrier) carrier = node;  // a clone's future node, before the clone is part of its stack
  if (!carrier) {
    ShowSkinMessage(&skin, MB_ICONEXCLAMATION, kNoMeshText, "");
    return Fail(skin);
  }

  Interface* ip = GetCOREInterface();
  const TimeValue t = ip->GetTime();
  ObjectState os = carrier->EvalWorldState(t);
  Object* evaluated = os.obj;
  ObjectWrapper wrapper;
  if (!wrapper.Init(t, os)) return Fail(skin);
  ConvertedObject converted(os.obj != evaluated ? os.obj : nullptr);

  const int n = wrapper.NumVerts();
  if (n <= 2) {
    ShowSkinMessage(&skin, MB_ICONEXCLAMATION, kNoMeshText, WideToUtf8(carrier->GetName()).c_str());
    return Fail(skin);
  }

  table.attachNodeTM = carrier->GetNodeTM(t);
  table.attachObjectTM = carrier->GetObjectTM(t);
  if (!ResizeForVertices(skin, n)) {
    ShowSkinMessage(&skin, MB_ICONERROR, "%s", kNoMemoryText);
    return Fail(skin);
  }

  // World-space modifiers may have brought the mesh into world space already.
  Matrix3 toWorld = table.attachObjectTM;
  if (carrier->GetObjTMAfterWSM(t).IsIdentity()) toWorld = os.GetTM() ? *os.GetTM() : Matrix3();
  const Point3* verts = wrapper.Verts();
  for (int i = 0; i < n; ++i) table.attachPositions[i] = verts[i] * toWorld;

  for (auto& bone : table.bones) {
    MeasureShape(*bone, t, skin.settings.minRadius, bone->bindShape);
    if (bone->node) bone->bindNodeTM = bone->node->GetNodeTM(t);
    bone->falloffDistance = TwiceLargestRadius(bone->bindShape) * (bone->falloff >= 1e-6f ? bone->falloff : 1e-6f);
    if (bone->kind == kSplineBone) BindSplineVertices(*bone, t, n, table.attachPositions.data());
  }

  table.RebuildBindFrames();
  table.attachTime = t;
  ComputeWeights(skin, table.boneCount, table.vertexCount);
  return true;
}

void ForceReevaluation(Tessarin& skin) {
  if (!skin.pblock) return;
  const TimeValue t = GetCOREInterface()->GetTime();
  skin.pblock->SetValue(use_oscillation, t, skin.ReadSwitch(use_oscillation, t, 0));
}

bool ReattachSkin(Tessarin& skin, INode* node) {
  if (skin.table.IsAttached()) {
    skin.table.Detach();
    // The stack's cached result is the skin's own deformation; drop it before measuring.
    skin.NotifyDependents(FOREVER, PART_TOPO | PART_GEOM, REFMSG_CHANGE);
  }
  const bool attached = Attach(skin, node);
  ForceReevaluation(skin);
  GetCOREInterface()->ExecuteMAXCommand(kAttachedCommand);
  return attached;
}
