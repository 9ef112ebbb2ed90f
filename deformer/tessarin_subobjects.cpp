// The skin modifier's answers to the host's sub-object operations. The modifier stays at object
// level (settings.subObjectLevel is 0 from construction on), so every selection operation does
// what the object level prescribes: nothing. The selection state it carries is left untouched.

#include "deformer/tessarin.h"
#include "selection/tessarin_subobj_type.h"

int Tessarin::NumSubObjTypes() { return kTessarinSubObjTypeCount; }

ISubObjType* Tessarin::GetSubObjType(int i) { return TessarinSubObjType(i); }

int Tessarin::GetSubObjectLevel() { return settings.subObjectLevel; }

// The requested level is not stored.
void Tessarin::ActivateSubobjSel(int level, XFormModes& modes) { (void)level; (void)modes; }

int Tessarin::HitTest(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p, ViewExp* vpt,
                      ModContext* mc) {
  (void)t; (void)inode; (void)type; (void)crossing; (void)flags; (void)p; (void)vpt; (void)mc;
  return 0;
}

void Tessarin::SelectSubComponent(HitRecord* hitRec, BOOL selected, BOOL all, BOOL invert) {
  (void)hitRec; (void)selected; (void)all; (void)invert;
}

void Tessarin::ClearSelection(int selLevel) { (void)selLevel; }
void Tessarin::SelectAll(int selLevel) { (void)selLevel; }
void Tessarin::InvertSelection(int selLevel) { (void)selLevel; }

int Tessarin::SubObjectIndex(HitRecord* hitRec) {
  (void)hitRec;
  return 0;
}

void Tessarin::GetWorldBoundBox(TimeValue t, INode* inode, ViewExp* vp, Box3& box, ModContext* mc) {
  (void)t; (void)inode; (void)vp; (void)mc;
  box.Init();
}

void Tessarin::GetSubObjectCenters(SubObjAxisCallback* cb, TimeValue t, INode* node, ModContext* mc) {
  (void)cb; (void)t; (void)node; (void)mc;
}

void Tessarin::GetSubObjectTMs(SubObjAxisCallback* cb, TimeValue t, INode* node, ModContext* mc) {
  (void)cb; (void)t; (void)node; (void)mc;
}

BOOL Tessarin::SupportsNamedSubSels() { return TRUE; }
void Tessarin::ActivateSubSelSet(MSTR& setName) { (void)setName; }
void Tessarin::NewSetFromCurSel(MSTR& setName) { (void)setName; }
void Tessarin::RemoveSubSelSet(MSTR& setName) { (void)setName; }
void Tessarin::SetupNamedSelDropDown() {}
int Tessarin::NumNamedSelSets() { return 0; }

MSTR Tessarin::GetNamedSelSetName(int i) {
  (void)i;
  return MSTR();
}

void Tessarin::SetNamedSelSetName(int i, MSTR& newName) { (void)i; (void)newName; }

void Tessarin::NewSetByOperator(MSTR& newName, Tab<int>& sets, int op) { (void)newName; (void)sets; (void)op; }
