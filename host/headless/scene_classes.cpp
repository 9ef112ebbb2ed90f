#include "host/headless/scene_classes.h"

#include <cstdio>

#include "host/headless/derived_object.h"
#include "host/headless/headless_host.h"
#include "host/headless/legacy_param_block.h"
#include "host/headless/param_block.h"
#include "host/headless/utf8_text.h"

StoredKind KindOfClass(SClass_ID superClass, Class_ID classId) {
  if (superClass == BASENODE_CLASS_ID && classId == NODE_CLASS_ID) return StoredKind::Node;
  if (superClass == GEN_DERIVOB_CLASS_ID && classId == DERIVOB_CLASS_ID) return StoredKind::Stack;
  if (superClass == WSM_DERIVOB_CLASS_ID && classId == WSMDERIVOB_CLASS_ID) return StoredKind::WorldStack;
  if (superClass == PARAMETER_BLOCK2_CLASS_ID && classId == paramBlock2ClassID) return StoredKind::ParamBlock2;
  if (superClass == PARAMETER_BLOCK_CLASS_ID && classId == paramBlockClassID) return StoredKind::LegacyParamBlock;
  return StoredKind::Registered;
}

bool CanCreateStored(SClass_ID superClass, Class_ID classId) {
  return KindOfClass(superClass, classId) != StoredKind::Registered || TheHost().FindClass(superClass, classId);
}

ReferenceTarget* CreateStoredObject(SClass_ID superClass, Class_ID classId) {
  switch (KindOfClass(superClass, classId)) {
    case StoredKind::Node: return TheHost().CreateNodeWithHandle(L"", 0, nullptr, nullptr);
    case StoredKind::Stack: return new DerivedObject(false);
    case StoredKind::WorldStack: return new DerivedObject(true);
    case StoredKind::ParamBlock2: return new ParamBlock2(nullptr, nullptr);
    case StoredKind::LegacyParamBlock: return new LegacyParamBlock();
    case StoredKind::Registered: break;
  }
  ClassDesc* cd = TheHost().FindClass(superClass, classId);
  if (!cd) return nullptr;
  auto* made = static_cast<Animatable*>(cd->Create(TRUE));
  if (!made) return nullptr;
  // Only reference targets can be stored; a descriptor that makes something else is refused.
  auto* target = dynamic_cast<ReferenceTarget*>(made);
  if (!target || target->SuperClassID() != superClass || target->ClassID() != classId) {
    made->DeleteThis();
    return nullptr;
  }
  return target;
}

bool HostAcceptsReference(ReferenceTarget* holder, int which, ReferenceTarget* target) {
  if (!target) return true;
  switch (KindOfClass(holder->SuperClassID(), holder->ClassID())) {
    case StoredKind::Node:
      return dynamic_cast<Object*>(target) != nullptr;
    case StoredKind::Stack:
    case StoredKind::WorldStack:
      return which == 0 ? dynamic_cast<Object*>(target) != nullptr : dynamic_cast<Modifier*>(target) != nullptr;
    default:
      return true;
  }
}

std::string DescribeClassIds(SClass_ID superClass, Class_ID classId) {
  char text[96];
  std::snprintf(text, sizeof text, "(super class 0x%X, class 0x%X:0x%X)", unsigned(superClass),
                unsigned(classId.PartA()), unsigned(classId.PartB()));
  return text;
}

std::string DescribeObject(ReferenceTarget* object) {
  MSTR name;
  object->GetClassName(name, false);
  std::string ids = DescribeClassIds(object->SuperClassID(), object->ClassID());
  return name.empty() ? ids : WideToUtf8Text(name) + " " + ids;
}
