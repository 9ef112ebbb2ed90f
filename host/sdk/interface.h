#pragma once
// The application interface: time, the scene, selection, class creation, commands and the main
// window. GetCOREInterface() returns the one running application.

#include <vector>

#include "host/sdk/inode.h"

class ClassDesc;
class IActionManager;

// Return codes of ITreeEnumProc::callback.
inline constexpr int TREE_CONTINUE = 0;
inline constexpr int TREE_IGNORECHILDREN = 1;
inline constexpr int TREE_ABORT = 2;

class ITreeEnumProc {
public:
  virtual ~ITreeEnumProc() = default;
  virtual int callback(INode* node) = 0;
};

class IScene {
public:
  virtual ~IScene() = default;
  // Visits every node of the scene (not the root), parents before children.
  virtual int EnumTree(ITreeEnumProc* proc) = 0;
};

class Interface {
public:
  virtual ~Interface() = default;

  virtual TimeValue GetTime() = 0;
  virtual void SetTime(TimeValue t, BOOL redraw = TRUE) = 0;
  virtual int GetFrameRate() = 0;

  virtual INode* GetRootNode() = 0;
  virtual INode* GetINodeByName(const MCHAR* name) = 0;
  virtual INode* GetINodeByHandle(ULONG handle) = 0;
  virtual int GetSelNodeCount() = 0;
  virtual INode* GetSelNode(int i) = 0;
  virtual void SelectNode(INode* node, int clearSel = 1) = 0;
  virtual IScene* GetScene() = 0;

  // A new node carrying obj, a child of the root.
  virtual INode* CreateObjectNode(Object* obj) = 0;
  // Removes a node from the scene; its dependents are told REFMSG_TARGET_DELETED.
  virtual void DeleteNode(INode* node, BOOL redraw = TRUE) = 0;
  // A new instance of a registered class, or null.
  virtual void* CreateInstance(SClass_ID superID, Class_ID classID) = 0;
  virtual ClassDesc* FindClass(SClass_ID superID, Class_ID classID) = 0;

  virtual void ExecuteMAXCommand(int id) = 0;
  virtual HWND GetMAXHWnd() = 0;
  // Where keyboard action contexts are registered.
  virtual IActionManager* GetActionManager() = 0;
  virtual void RedrawViews(TimeValue t) = 0;
  virtual void ForceCompleteRedraw(BOOL doDisabled = TRUE) = 0;
};

// The extended interface through which the scene tree is enumerated.
using Interface7 = Interface;
using Interface10 = Interface;
using Interface17 = Interface;

Interface* GetCOREInterface();
Interface7* GetCOREInterface7();
Interface10* GetCOREInterface10();
Interface17* GetCOREInterface17();

// Ticks per frame at the scene's frame rate.
int GetTicksPerFrame();
