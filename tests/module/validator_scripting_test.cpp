// The shared validator and the host's scripting surface: user and script values pass the
// parameter's validator, the program's own sets do not; published functions by name.

#include <gtest/gtest.h>

#include <functional>

#include "host/headless/headless_host.h"
#include "host/headless/param_map.h"
#include "host/headless/scripting.h"
#include "module/registry/ts_proxy_validator.h"

namespace {

TEST(ProxyValidator, RefusesEveryValueOwnerAndParameter) {
  TS_Proxy_Validator& v = *ProxyValidator();
  std::vector<PB2Value> values = {PB2Value::Int(0), PB2Value::Int(-5), PB2Value::Bool(true), PB2Value::Float(1.5f),
                                  PB2Value::Pt(Point3(1, 2, 3)), PB2Value::Ref(nullptr)};
  for (PB2Value& value : values) {
    EXPECT_EQ(v.Validate(value), FALSE);
    for (ParamID id : {ParamID(0), ParamID(8), ParamID(-1)}) EXPECT_EQ(v.Validate(value, nullptr, id, 3), FALSE);
  }
  v.DeleteThis();  // static: nothing happens
  PB2Value after = PB2Value::Int(1);
  EXPECT_EQ(ProxyValidator()->Validate(after), FALSE);
}

ParamDef IntParam(ParamID id, const MCHAR* name, PBValidator* validator, int def) {
  ParamDef d;
  d.ID = id;
  d.int_name = name;
  d.type = TYPE_INT;
  d.flags = P_ANIMATABLE;
  d.def = PB2Value::Int(def);
  d.validator = validator;
  return d;
}

ParamBlockDesc2 g_testBlock(0, L"testParameters", 0, nullptr, P_AUTO_CONSTRUCT, 0, 0, ParamBlockAutoUI{},
                            {IntParam(0, L"segments", ProxyValidator(), 16), IntParam(1, L"count", nullptr, 3)});

// A small object holding one block of g_testBlock as its reference 0.
class BlockOwner : public ReferenceTarget {
public:
  BlockOwner() { ReplaceReference(0, CreateParameterBlock2(&g_testBlock, this)); }
  ~BlockOwner() override { DeleteAllRefs(); }
  SClass_ID SuperClassID() override { return REF_TARGET_CLASS_ID; }
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return i == 0 ? block : nullptr; }
  int NumParamBlocks() override { return 1; }
  IParamBlock2* GetParamBlock(int i) override { return i == 0 ? block : nullptr; }

  IParamBlock2* block = nullptr;

protected:
  void SetReference(int i, RefTargetHandle rtarg) override {
    if (i == 0) block = static_cast<IParamBlock2*>(rtarg);
  }
};

// One way a value reaches a parameter: (owner, parameter id, name, value) → stored.
struct Route {
  const char* name;
  std::function<bool(BlockOwner&, ParamID, const wchar_t*, int)> offer;
  bool validated;  // whether the route consults the validator
};

const Route kRoutes[] = {
    {"ProgramSet", [](BlockOwner& o, ParamID id, const wchar_t*, int v) { return o.block->SetValue(id, 0, v) != 0; },
     false},
    {"Script", [](BlockOwner& o, ParamID, const wchar_t* name, int v) {
       return ScriptSetParameter(&o, name, PB2Value::Int(v));
     },
     true},
    {"ParameterMap", [](BlockOwner& o, ParamID id, const wchar_t*, int v) {
       ParamMap2 map(o.block, nullptr);
       return map.EnterValue(id, PB2Value::Int(v), 0);
     },
     true},
};

class ValueRoutes : public ::testing::TestWithParam<Route> {};

TEST_P(ValueRoutes, ValidatedParameterRefusesUserAndScriptValuesOnly) {
  const Route& route = GetParam();
  BlockOwner owner;
  bool stored = route.offer(owner, 0, L"segments", 40);
  EXPECT_EQ(stored, !route.validated);
  EXPECT_EQ(owner.block->GetInt(0), route.validated ? 16 : 40);  // a refusal keeps the old value
}

TEST_P(ValueRoutes, ParameterWithoutValidatorTakesTheValue) {
  BlockOwner owner;
  EXPECT_TRUE(GetParam().offer(owner, 1, L"count", 9));
  EXPECT_EQ(owner.block->GetInt(1), 9);
}

INSTANTIATE_TEST_SUITE_P(Cases, ValueRoutes, ::testing::ValuesIn(kRoutes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Scripting, ConvertsNumbersToTheParametersTypeAndRejectsOthers) {
  BlockOwner owner;
  EXPECT_TRUE(ScriptSetParameter(&owner, L"count", PB2Value::Float(2.6f)));
  EXPECT_EQ(owner.block->GetInt(1), 3);
  EXPECT_FALSE(ScriptSetParameter(&owner, L"count", PB2Value::Pt(Point3(1, 1, 1))));
  EXPECT_EQ(owner.block->GetInt(1), 3);
  std::optional<PB2Value> read = ScriptGetParameter(&owner, L"count");
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->type, TYPE_INT);
  EXPECT_EQ(read->i, 3);
}

TEST(ParamMap, BecomesTheBlocksMapWhileItLives) {
  BlockOwner owner;
  {
    ParamMap2 map(owner.block, nullptr);
    EXPECT_EQ(owner.block->GetMap(), &map);
    EXPECT_EQ(map.GetParamBlock(), owner.block);
  }
  EXPECT_EQ(owner.block->GetMap(), nullptr);
}

// --- Published functions: a static (non-mixin) interface found by the standard lookup --------

constexpr Class_ID kCalculatorClass(0x0CA1C001, 0x0CA1C002);
constexpr Interface_ID kCalculatorInterface(0x0CA1C003, 0x0CA1C004);
constexpr Interface_ID kCalculatorMixin(0x0CA1C005, 0x0CA1C006);

class CalculatorClassDesc : public ClassDesc2 {
public:
  int IsPublic() override { return FALSE; }
  void* Create(BOOL) override { return nullptr; }
  const MCHAR* ClassName() override { return L"Calculator"; }
  SClass_ID SuperClassID() override { return REF_TARGET_CLASS_ID; }
  Class_ID ClassID() override { return kCalculatorClass; }
  const MCHAR* Category() override { return L"Test"; }
};
CalculatorClassDesc g_calculatorDesc;

// add (id 0): the sum of two integers.
class CalculatorInterface : public FPInterfaceDesc {
public:
  CalculatorInterface()
      : FPInterfaceDesc(kCalculatorInterface, L"Calculator", 0, &g_calculatorDesc, 0,
                        {{0, L"add", TYPE_INT, {{L"a", TYPE_INT}, {L"b", TYPE_INT}}}}) {}

protected:
  FPStatus _dispatch_fn(FunctionID fid, TimeValue, FPValue& result, FPParams* p) override {
    if (fid != 0) return FPS_NO_SUCH_FUNCTION;
    result = PB2Value::Int((*p)[0].i + (*p)[1].i);
    return FPS_OK;
  }
};
CalculatorInterface g_calculatorInterface;
// A mixin descriptor describes what objects carry; the class's lookup does not answer with it.
FPInterfaceDesc g_calculatorMixin(kCalculatorMixin, L"CalculatorMixin", 0, &g_calculatorDesc, FP_MIXIN, {});

class Calculator : public ReferenceTarget {
public:
  SClass_ID SuperClassID() override { return REF_TARGET_CLASS_ID; }
  Class_ID ClassID() override { return kCalculatorClass; }
};

class PublishedFunctions : public ::testing::Test {
protected:
  void SetUp() override { TheHost().RegisterClass(&g_calculatorDesc); }
  void TearDown() override { TheHost().UnregisterClass(&g_calculatorDesc); }
  Calculator calculator_;
};

TEST_F(PublishedFunctions, CallsAFunctionByNameWithItsArguments) {
  ScriptCallResult r = ScriptCallFunction(&calculator_, kCalculatorInterface, L"add", {PB2Value::Int(2), PB2Value::Int(3)});
  EXPECT_EQ(r.status, FPS_OK);
  EXPECT_EQ(r.value.i, 5);
}

TEST_F(PublishedFunctions, AnUnknownNameIsNoSuchFunction) {
  EXPECT_EQ(ScriptCallFunction(&calculator_, kCalculatorInterface, L"subtract").status, FPS_NO_SUCH_FUNCTION);
  FPValue result;
  EXPECT_EQ(g_calculatorInterface.Invoke(7, result), FPS_NO_SUCH_FUNCTION);
}

TEST_F(PublishedFunctions, TooFewArgumentsFailWithTheHostsArrayError) {
  ScriptCallResult r = ScriptCallFunction(&calculator_, kCalculatorInterface, L"add", {PB2Value::Int(2)});
  EXPECT_EQ(r.status, FPS_FAIL);
  EXPECT_EQ(r.error, "Argument index out of bounds, passed into a MaxSDK::Array::operator[]");
}

TEST_F(PublishedFunctions, StandardLookupAnswersStaticInterfacesOnly) {
  EXPECT_EQ(ScriptGetInterface(&calculator_, kCalculatorInterface), &g_calculatorInterface);
  EXPECT_EQ(ScriptGetInterface(&calculator_, kCalculatorMixin), nullptr);
  ScriptCallResult r = ScriptCallFunction(&calculator_, kCalculatorMixin, L"add");
  EXPECT_EQ(r.status, FPS_FAIL);
  EXPECT_FALSE(r.error.empty());
}

}  // namespace
