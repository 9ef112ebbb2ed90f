// The module's four class descriptors as the host sees them after loading: identifiers, names,
// category, the objects they create, their published interfaces and the skin's parameter block.

#include "host/sdk/ifnpub.h"
#include "host/sdk/winresources.h"
#include "loaded_module.h"
#include "module/registry/class_ids.h"

namespace {

struct ExpectedClass {
  const wchar_t* name;
  SClass_ID super;
  Class_ID id;
  bool hasInterface;
  Interface_ID interfaceId;
};

const ExpectedClass kClasses[] = {
    {L"Tessarin", OSM_CLASS_ID, Class_ID(0x37E26E45, 0x543B6B2A), true, Interface_ID(0x12F527CC, 0x59B44CA4)},
    {L"Wobblex", WSM_CLASS_ID, Class_ID(0x6E140C30, 0x18CB78DD), false, Interface_ID()},
    {L"Orbicle", GEOMOBJECT_CLASS_ID, Class_ID(0x6FED4BD7, 0x460D2239), true, Interface_ID(0x55280183, 0x58006A4B)},
    {L"Fluxel", WSM_CLASS_ID, Class_ID(0x11524444, 0x4E8E1C80), true, Interface_ID(0x796E17ED, 0x0D5059F2)},
};

using ClassDescriptors = ModuleTest;

TEST_F(ClassDescriptors, AnswerTheHostsQuestions) {
  HINSTANCE instance = Desc(0)->HInstance();
  ASSERT_NE(instance, nullptr);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const ExpectedClass& e = kClasses[i];
    ClassDesc2* cd = Desc(i);
    EXPECT_EQ(std::wstring(cd->ClassName()), e.name);
    EXPECT_EQ(std::wstring(cd->InternalName()), e.name);
    EXPECT_EQ(cd->SuperClassID(), e.super);
    EXPECT_EQ(cd->ClassID(), e.id);
    EXPECT_EQ(std::wstring(cd->Category()), L"Korvel Plugins");
    EXPECT_EQ(cd->IsPublic(), TRUE);
    EXPECT_EQ(cd->InitialRollupPageState(), 0x7FFFFFFFu);
    EXPECT_EQ(cd->HInstance(), instance);
  }
}

TEST_F(ClassDescriptors, EveryAvailableClassAgreesWithItsDescriptor) {
  int created = 0;
  for (ClassDesc* cd : module_->Classes()) {
    SCOPED_TRACE(std::wstring(cd->ClassName()));
    ObjectPtr obj(CreateThrough(cd));
    if (!obj) continue;  // the class is not part of this module yet
    ++created;
    EXPECT_EQ(obj->SuperClassID(), cd->SuperClassID());
    EXPECT_EQ(obj->ClassID(), cd->ClassID());
  }
  EXPECT_GE(created, 1);
  ObjectPtr skin(CreateThrough(Desc(0)));
  EXPECT_NE(skin, nullptr) << "the skin modifier must be creatable";
}

TEST_F(ClassDescriptors, TheHostCreatesTheSkinThroughItsDescriptor) {
  void* p = TheHost().CreateInstance(OSM_CLASS_ID, TESSARIN_CLASS_ID);
  ASSERT_NE(p, nullptr);
  ObjectPtr skin(static_cast<Modifier*>(p));
  EXPECT_EQ(skin->ClassID(), TESSARIN_CLASS_ID);
}

TEST_F(ClassDescriptors, OwnTheirPublishedInterfaces) {
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const ExpectedClass& e = kClasses[i];
    ClassDesc2* cd = Desc(i);
    if (!e.hasInterface) {
      EXPECT_EQ(cd->NumInterfaces(), 0);
      continue;
    }
    ASSERT_EQ(cd->NumInterfaces(), 1);
    FPInterface* fpi = cd->GetInterfaceAt(0);
    EXPECT_EQ(fpi->GetID(), e.interfaceId);
    EXPECT_EQ(fpi->GetFlags(), FP_MIXIN);
    ASSERT_NE(fpi->GetDesc(), nullptr);
    EXPECT_EQ(fpi->GetDesc()->internal_name, e.name);
    EXPECT_EQ(fpi->GetDesc()->cd, cd);
  }
}

struct ExpectedSwitch {
  ParamID id;
  const wchar_t* name;
  int flags;
  int localName;
  bool on;
  int checkBox;              // in template 510
  const wchar_t* caption;    // of the check box; null: the template has no such control
};

const ExpectedSwitch kSwitches[] = {
    {0, L"use_inertia", 0x1, 238, false, 1114, L"Inertia"},
    {1, L"use_oscillation", 0x1, 239, false, 1115, L"Oscillation"},
    {2, L"use_stack", 0x1, 240, true, 1117, L"Use stack"},
    {3, L"use_orbicles", 0x40000001, 241, false, 1123, nullptr},
    {4, L"use_fluxels", 0x1, 242, false, 1128, L"On"},
    {5, L"use_dual_quaternion", 0x1, 40, false, 1234, L"Dual-Quat"},
    {6, L"use_linked", 0x1, 247, true, 1231, L"Linked"},
};

TEST_F(ClassDescriptors, SkinParameterBlockDescribesTheSevenSwitches) {
  ClassDesc2* cd = Desc(0);
  ASSERT_EQ(cd->NumParamBlockDescs(), 1);
  ParamBlockDesc2* pbd = cd->GetParamBlockDesc(0);
  EXPECT_EQ(std::wstring(pbd->int_name), L"tessarinParameters");
  EXPECT_EQ(pbd->ID, 0);
  EXPECT_EQ(pbd->flags, 6);
  EXPECT_EQ(pbd->ref_no, 0);
  EXPECT_EQ(pbd->cd, cd);
  EXPECT_EQ(pbd->ui.dlg_template, 510);
  EXPECT_EQ(pbd->ui.title, 243);
  EXPECT_EQ(pbd->ui.rollup_flags, 0);
  ASSERT_EQ(pbd->Count(), 7);
  const DialogTemplateResource* rollout = FindDialogTemplate(cd->HInstance(), MAKEINTRESOURCEW(510));
  ASSERT_NE(rollout, nullptr);
  wchar_t text[512];
  for (int i = 0; i < 7; ++i) {
    const ExpectedSwitch& e = kSwitches[i];
    const ParamDef& d = pbd->paramdefs[i];
    SCOPED_TRACE(std::wstring(e.name));
    EXPECT_EQ(d.ID, e.id);
    EXPECT_EQ(std::wstring(d.int_name), e.name);
    EXPECT_EQ(d.type, TYPE_BOOL);
    EXPECT_EQ(d.flags, e.flags);
    EXPECT_EQ(d.local_name, e.localName);
    EXPECT_EQ(d.def.i, e.on ? 1 : 0);
    EXPECT_EQ(d.validator, nullptr);
    // Each switch names its check box of the automatic rollout.
    EXPECT_EQ(d.ctrl_type, TYPE_SINGLECHECKBOX);
    EXPECT_EQ(d.ctrl_IDs, std::vector<int>{e.checkBox});
    const DialogControlResource* box = nullptr;
    for (const DialogControlResource& c : rollout->controls)
      if (c.id == e.checkBox) box = &c;
    if (e.caption) {
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(std::wstring(box->text), e.caption);
    } else {
      EXPECT_EQ(box, nullptr);
    }
    // The local name is the string-table text equal to the scripting name.
    ASSERT_GT(LoadStringW(cd->HInstance(), d.local_name, text, 512), 0);
    EXPECT_EQ(std::wstring(text), e.name);
  }
  ASSERT_GT(LoadStringW(cd->HInstance(), pbd->ui.title, text, 512), 0);
  EXPECT_EQ(std::wstring(text), L"Tessarin");
}

TEST_F(ClassDescriptors, SkinRolloutProcedureAnswersFalseToEveryMessage) {
  ParamMap2UserDlgProc* proc = Desc(0)->GetParamBlockDesc(0)->GetUserDlgProc();
  ASSERT_NE(proc, nullptr);
  for (UINT msg : {0x0110u /* init dialog */, 0x0111u /* command */, 0x0002u /* destroy */, 0x1234u})
    EXPECT_EQ(proc->DlgProc(0, nullptr, nullptr, msg, 0, 0), FALSE) << msg;
}

class NullDlgProc : public ParamMap2UserDlgProc {
public:
  INT_PTR DlgProc(TimeValue, IParamMap2*, HWND, UINT, WPARAM, LPARAM) override { return TRUE; }
  void DeleteThis() override {}
};

TEST_F(ClassDescriptors, SetUserDlgProcReplacesTheBlocksDialogProcedure) {
  ParamBlockDesc2* pbd = Desc(0)->GetParamBlockDesc(0);
  ParamMap2UserDlgProc* original = pbd->GetUserDlgProc();
  NullDlgProc replacement;
  Desc(0)->SetUserDlgProc(pbd, &replacement);
  EXPECT_EQ(pbd->GetUserDlgProc(), &replacement);
  Desc(0)->SetUserDlgProc(pbd, original);
  EXPECT_EQ(pbd->GetUserDlgProc(), original);
}

}  // namespace
