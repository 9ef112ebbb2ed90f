#pragma once
// The headless application: one scene (a root node and its descendants), the current time and
// frame rate, selection, the class directory, the command log, the main window and the message
// log. GetCOREInterface() returns TheHost().

#include <memory>
#include <string>
#include <vector>

#include "host/headless/action_manager.h"
#include "host/headless/message_log.h"
#include "host/headless/scene_node.h"
#include "host/sdk/iobjparam.h"
#include "host/sdk/iparamb2.h"

inline constexpr Interval kDefaultAnimRange{0, 100 * (TIME_TICKSPERSEC / 30)};

class HeadlessHost : public IObjParam, public IScene {
public:
  HeadlessHost();
  ~HeadlessHost() override;

  // Interface
  TimeValue GetTime() override { return time_; }
  void SetTime(TimeValue t, BOOL redraw = TRUE) override;
  int GetFrameRate() override { return frameRate_; }
  INode* GetRootNode() override { return root_.get(); }
  INode* GetINodeByName(const MCHAR* name) override;
  INode* GetINodeByHandle(ULONG handle) override;
  int GetSelNodeCount() override;
  INode* GetSelNode(int i) override;
  void SelectNode(INode* node, int clearSel = 1) override;
  IScene* GetScene() override { return this; }
  INode* CreateObjectNode(Object* obj) override;
  void DeleteNode(INode* node, BOOL redraw = TRUE) override;
  void* CreateInstance(SClass_ID superID, Class_ID classID) override;
  ClassDesc* FindClass(SClass_ID superID, Class_ID classID) override;
  void ExecuteMAXCommand(int id) override { commands_.push_back(id); }
  HWND GetMAXHWnd() override { return mainWindow_; }
  void RedrawViews(TimeValue t) override { (void)t; ++redraws_; }
  void ForceCompleteRedraw(BOOL doDisabled = TRUE) override { (void)doDisabled; ++redraws_; }
  IActionManager* GetActionManager() override { return &actions_; }

  // IObjParam: pages in the headless command panel (host/headless/rollup_pages.h).
  HWND AddRollupPage(HINSTANCE instance, const MCHAR* dlgTemplate, DLGPROC proc, const MCHAR* title, LPARAM param = 0,
                     DWORD flags = 0, int category = 4000) override;
  void DeleteRollupPage(HWND page) override;

  // IScene
  int EnumTree(ITreeEnumProc* proc) override;

  // The headless application.
  void SetFrameRate(int fps);
  // The frames an animation plays, in ticks; frames 0 to 100 at 30 frames per second after a reset.
  Interval AnimRange() const { return animRange_; }
  void SetAnimRange(Interval range) { animRange_ = range; }
  // A new node named name, child of parent (the root when null), carrying obj (may be null).
  SceneNode* CreateNode(const std::wstring& name, Object* obj = nullptr, INode* parent = nullptr);
  // Every node except the root, parents before children.
  std::vector<SceneNode*> AllNodes();
  // Deletes every node and clears selection, commands and messages; time 0 at 30 frames per second.
  void ResetScene();
  // Handles are unique for the lifetime of the scene; loading a scene restores them.
  ULONG NextHandle() const { return nextHandle_; }
  void SetNextHandle(ULONG h) { nextHandle_ = h; }
  SceneNode* CreateNodeWithHandle(const std::wstring& name, ULONG handle, Object* obj, INode* parent);

  void RegisterClass(ClassDesc* cd);
  void UnregisterClass(ClassDesc* cd);
  const std::vector<ClassDesc*>& Classes() const { return classes_; }

  const std::vector<int>& Commands() const { return commands_; }
  void ClearCommands() { commands_.clear(); }
  int RedrawCount() const { return redraws_; }
  MessageLog& Messages() { return messages_; }
  HeadlessActionManager& Actions() { return actions_; }

private:
  TimeValue time_ = 0;
  int frameRate_ = 30;
  Interval animRange_ = kDefaultAnimRange;
  std::unique_ptr<SceneNode> root_;
  ULONG nextHandle_ = 1;
  std::vector<ClassDesc*> classes_;
  std::vector<std::unique_ptr<ClassDesc>> builtinClasses_;
  std::vector<int> commands_;
  int redraws_ = 0;
  HWND mainWindow_;
  MessageLog messages_;
  HeadlessActionManager actions_;
};

// The one running headless application.
HeadlessHost& TheHost();
