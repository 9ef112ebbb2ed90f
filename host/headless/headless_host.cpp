#include "host/headless/headless_host.h"

#include <algorithm>
#include <functional>

#include "host/headless/builtin_objects.h"
#include "host/headless/rollup_pages.h"

namespace {

// The main window is a handle only; nothing draws into it.
struct MainWindowTag {
  int unused = 0;
};
MainWindowTag g_mainWindow;

// Both walks keep the nodes still to visit on a stack of their own, not on the call stack: a
// scene may be a million links deep. Children go on in reverse so that they come off in order.
void CollectDepthFirst(SceneNode* top, std::vector<SceneNode*>& out) {
  std::vector<SceneNode*> todo(top->Children().rbegin(), top->Children().rend());
  while (!todo.empty()) {
    SceneNode* node = todo.back();
    todo.pop_back();
    out.push_back(node);
    todo.insert(todo.end(), node->Children().rbegin(), node->Children().rend());
  }
}

// A node's children are taken when the walk reaches them, after the node's callback, so that a
// callback may change the tree below the node it is given.
int EnumFrom(SceneNode* top, ITreeEnumProc* proc) {
  std::vector<SceneNode*> todo(top->Children().rbegin(), top->Children().rend());
  while (!todo.empty()) {
    SceneNode* node = todo.back();
    todo.pop_back();
    const int r = proc->callback(node);
    if (r == TREE_ABORT) return TREE_ABORT;
    if (r == TREE_IGNORECHILDREN) continue;
    todo.insert(todo.end(), node->Children().rbegin(), node->Children().rend());
  }
  return TREE_CONTINUE;
}

}  // namespace

HeadlessHost::HeadlessHost()
    : root_(std::make_unique<SceneNode>(*this, 0, L"Scene Root", true)),
      mainWindow_(reinterpret_cast<HWND>(&g_mainWindow)) {
  RegisterBuiltinClasses(builtinClasses_);
  for (auto& cd : builtinClasses_) classes_.push_back(cd.get());
}

HeadlessHost::~HeadlessHost() { ResetScene(); }

HWND HeadlessHost::AddRollupPage(HINSTANCE instance, const MCHAR* dlgTemplate, DLGPROC proc, const MCHAR* title,
                                 LPARAM param, DWORD flags, int category) {
  return AddRollupPageTo(instance, dlgTemplate, proc, title, param, flags, category);
}

void HeadlessHost::DeleteRollupPage(HWND page) { DeleteRollupPageOf(page); }

void HeadlessHost::SetTime(TimeValue t, BOOL redraw) {
  (void)redraw;
  time_ = t;
}

void HeadlessHost::SetFrameRate(int fps) { frameRate_ = fps > 0 ? fps : 30; }

INode* HeadlessHost::GetINodeByName(const MCHAR* name) {
  if (!name) return nullptr;
  for (SceneNode* n : AllNodes())
    if (std::wstring(n->GetName()) == name) return n;
  return nullptr;
}

INode* HeadlessHost::GetINodeByHandle(ULONG handle) {
  if (handle == 0) return root_.get();
  for (SceneNode* n : AllNodes())
    if (n->GetHandle() == handle) return n;
  return nullptr;
}

int HeadlessHost::GetSelNodeCount() {
  int count = 0;
  for (SceneNode* n : AllNodes()) count += n->Selected();
  return count;
}

INode* HeadlessHost::GetSelNode(int i) {
  for (SceneNode* n : AllNodes())
    if (n->Selected() && i-- == 0) return n;
  return nullptr;
}

void HeadlessHost::SelectNode(INode* node, int clearSel) {
  if (clearSel)
    for (SceneNode* n : AllNodes()) n->SetSelected(false);
  if (node && !node->IsRootNode()) static_cast<SceneNode*>(node)->SetSelected(true);
}

std::vector<SceneNode*> HeadlessHost::AllNodes() {
  std::vector<SceneNode*> out;
  CollectDepthFirst(root_.get(), out);
  return out;
}

int HeadlessHost::EnumTree(ITreeEnumProc* proc) { return EnumFrom(root_.get(), proc); }

SceneNode* HeadlessHost::CreateNodeWithHandle(const std::wstring& name, ULONG handle, Object* obj, INode* parent) {
  auto* node = new SceneNode(*this, handle, name, false);
  nextHandle_ = std::max(nextHandle_, handle + 1);
  SceneNode* p = parent ? static_cast<SceneNode*>(parent) : root_.get();
  p->AttachChild(node, 0);
  if (obj) node->SetObjectRef(obj);
  return node;
}

SceneNode* HeadlessHost::CreateNode(const std::wstring& name, Object* obj, INode* parent) {
  return CreateNodeWithHandle(name, nextHandle_, obj, parent);
}

INode* HeadlessHost::CreateObjectNode(Object* obj) {
  return CreateNode(L"Object" + std::to_wstring(nextHandle_), obj, nullptr);
}

void HeadlessHost::DeleteNode(INode* node, BOOL redraw) {
  (void)redraw;
  if (!node || node->IsRootNode()) return;
  auto* n = static_cast<SceneNode*>(node);
  // Children move up to the deleted node's parent, keeping their world transforms.
  INode* parent = n->GetParentNode();
  for (SceneNode* child : std::vector<SceneNode*>(n->Children())) parent->AttachChild(child, 1);
  n->DetachFromParent();
  n->DeleteMe();
}

void HeadlessHost::ResetScene() {
  // Deepest nodes first, so that no node outlives its parent's bookkeeping.
  std::vector<SceneNode*> nodes = AllNodes();
  for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) {
    (*it)->DetachFromParent();
    (*it)->DeleteMe();
  }
  time_ = 0;
  frameRate_ = 30;
  animRange_ = kDefaultAnimRange;
  nextHandle_ = 1;
  commands_.clear();
  messages_.Clear();
  redraws_ = 0;
}

void HeadlessHost::RegisterClass(ClassDesc* cd) {
  if (cd && std::find(classes_.begin(), classes_.end(), cd) == classes_.end()) classes_.push_back(cd);
}

void HeadlessHost::UnregisterClass(ClassDesc* cd) {
  classes_.erase(std::remove(classes_.begin(), classes_.end(), cd), classes_.end());
}

ClassDesc* HeadlessHost::FindClass(SClass_ID superID, Class_ID classID) {
  for (ClassDesc* cd : classes_)
    if (cd->SuperClassID() == superID && cd->ClassID() == classID) return cd;
  return nullptr;
}

void* HeadlessHost::CreateInstance(SClass_ID superID, Class_ID classID) {
  ClassDesc* cd = FindClass(superID, classID);
  return cd ? cd->Create(FALSE) : nullptr;
}

HeadlessHost& TheHost() {
  static HeadlessHost host;
  return host;
}

Interface* GetCOREInterface() { return &TheHost(); }
Interface7* GetCOREInterface7() { return &TheHost(); }
Interface10* GetCOREInterface10() { return &TheHost(); }
Interface17* GetCOREInterface17() { return &TheHost(); }

int GetTicksPerFrame() { return TIME_TICKSPERSEC / TheHost().GetFrameRate(); }
