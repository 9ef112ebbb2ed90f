// The published functions get_influence and set_influence of the Orbicle and Fluxel interfaces:
// their argument checks, answers, clamping, dispatch by function id and the host's error for
// missing arguments.

#include <cmath>
#include <functional>
#include <limits>

#include "host/headless/scripting.h"
#include "influence_source_fixture.h"
#include "module/registry/class_ids.h"

namespace {

// The same cases run against both sources.
struct Source {
  const char* name;
  Interface_ID id;
  std::function<ReferenceTarget*()> make;
  std::function<InfluenceTables&(ReferenceTarget*)> tables;
};

const Source kSources[] = {
    {"Orbicle", ORBICLE_INTERFACE_ID, [] { return static_cast<ReferenceTarget*>(new Orbicle()); },
     [](ReferenceTarget* r) -> InfluenceTables& { return static_cast<Orbicle*>(r)->tables; }},
    {"Fluxel", FLUXEL_INTERFACE_ID, [] { return static_cast<ReferenceTarget*>(new Fluxel()); },
     [](ReferenceTarget* r) -> InfluenceTables& { return static_cast<Fluxel*>(r)->tables; }},
};

class InfluenceFunctionTest : public InfluenceSourceTest {
protected:
  ScriptCallResult Get(ReferenceTarget* target, int vertex) {
    return ScriptCallFunction(source_, source_info_->id, L"get_influence",
                              {FPValue::Ref(target), FPValue::Int(vertex)});
  }
  ScriptCallResult Set(ReferenceTarget* target, int vertex, float value) {
    return ScriptCallFunction(source_, source_info_->id, L"set_influence",
                              {FPValue::Ref(target), FPValue::Int(vertex), FPValue::Float(value)});
  }
  void Use(const Source& s) {
    source_info_ = &s;
    source_ = Keep(s.make());
  }
  InfluenceTables& Tables() { return source_info_->tables(source_); }

  const Source* source_info_ = nullptr;
  ReferenceTarget* source_ = nullptr;
};

TEST_F(InfluenceFunctionTest, FreshTableAnswersOne) {
  for (const Source& s : kSources) {
    SCOPED_TRACE(s.name);
    Use(s);
    Tessarin* skin = LooseSkin(4);
    ScriptCallResult r = Get(skin, 4);
    EXPECT_EQ(r.status, FPS_OK);
    EXPECT_EQ(r.value.type, TYPE_FLOAT);
    EXPECT_EQ(r.value.f, 1.0f);
    EXPECT_EQ(Tables().at(skin->instanceStamp), std::vector<float>(4, 1.0f)) << "made by the access rule";
  }
}

TEST_F(InfluenceFunctionTest, SetStoresTheValueClampedAndGetReadsItBack) {
  struct Case {
    const char* name;
    float value;
    float stored;
  };
  const Case cases[] = {{"inside", 0.3f, 0.3f}, {"above one", 1.5f, 1.0f}, {"below zero", -0.2f, 0.0f},
                        {"infinite", std::numeric_limits<float>::infinity(), 1.0f}};
  for (const Source& s : kSources) {
    Use(s);
    Tessarin* skin = LooseSkin(3);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(s.name) + ", " + c.name);
      ScriptCallResult set = Set(skin, 2, c.value);
      EXPECT_EQ(set.status, FPS_OK);
      EXPECT_EQ(set.value.type, TYPE_BOOL);
      EXPECT_EQ(set.value.i, TRUE);
      EXPECT_EQ(Tables().at(skin->instanceStamp)[1], c.stored);
      EXPECT_EQ(Get(skin, 2).value.f, c.stored);
    }
  }
}

TEST_F(InfluenceFunctionTest, RefusedCallsAnswerMinusOneOrFalseAndChangeNothing) {
  for (const Source& s : kSources) {
    Use(s);
    Tessarin* skin = LooseSkin(3);
    TriObject* mesh = Keep(CreateNewTriObject());
    Fluxel* otherModifier = Keep(new Fluxel());
    SceneNode* node = host().CreateNode(L"node");
    struct Case {
      const char* name;
      ReferenceTarget* target;
      int vertex;
    };
    const Case cases[] = {
        {"vertex 0", skin, 0},          {"vertex count + 1", skin, 4}, {"negative vertex", skin, -1},
        {"a node", node, 1},            {"another modifier", otherModifier, 1},
        {"an object", mesh, 1},         {"nothing", nullptr, 1},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(s.name) + ", " + c.name);
      ScriptCallResult get = Get(c.target, c.vertex);
      EXPECT_EQ(get.status, FPS_OK);
      EXPECT_EQ(get.value.f, -1.0f);
      ScriptCallResult set = Set(c.target, c.vertex, 0.5f);
      EXPECT_EQ(set.status, FPS_OK);
      EXPECT_EQ(set.value.i, FALSE);
      EXPECT_TRUE(Tables().empty());
    }
  }
}

TEST_F(InfluenceFunctionTest, NotANumberIsRefused) {
  for (const Source& s : kSources) {
    SCOPED_TRACE(s.name);
    Use(s);
    Tessarin* skin = LooseSkin(2);
    EXPECT_EQ(Set(skin, 1, std::numeric_limits<float>::quiet_NaN()).value.i, FALSE);
    EXPECT_TRUE(Tables().empty());
  }
}

TEST_F(InfluenceFunctionTest, VertexCountChangeGivesAFreshTableOfTheNewLength) {
  for (const Source& s : kSources) {
    SCOPED_TRACE(s.name);
    Use(s);
    Tessarin* skin = LooseSkin(3);
    ASSERT_EQ(Set(skin, 1, 0.25f).value.i, TRUE);
    skin->table.vertexCount = 5;
    EXPECT_EQ(Get(skin, 1).value.f, 1.0f);
    EXPECT_EQ(Tables().at(skin->instanceStamp), std::vector<float>(5, 1.0f));
  }
}

TEST_F(InfluenceFunctionTest, EachSkinHasATableOfItsOwn) {
  for (const Source& s : kSources) {
    SCOPED_TRACE(s.name);
    Use(s);
    Tessarin* a = LooseSkin(2);
    Tessarin* b = LooseSkin(2);
    ASSERT_EQ(Set(a, 2, 0.0f).value.i, TRUE);
    EXPECT_EQ(Get(b, 2).value.f, 1.0f);
    EXPECT_EQ(Get(a, 2).value.f, 0.0f);
  }
}

// --- Dispatch --------------------------------------------------------------------------------

TEST_F(InfluenceFunctionTest, InterfacesListBothFunctionsUnderTheirIds) {
  for (const Source& s : kSources) {
    SCOPED_TRACE(s.name);
    Use(s);
    auto* fpi = dynamic_cast<FPInterface*>(source_->GetInterface(s.id));
    ASSERT_NE(fpi, nullptr);
    EXPECT_EQ(fpi->GetID(), s.id);
    EXPECT_EQ(fpi->FindFn(L"get_influence"), 0);
    EXPECT_EQ(fpi->FindFn(L"set_influence"), 1);
    EXPECT_EQ(source_->GetInterface(Interface_ID(1, 2)), nullptr);
  }
}

TEST_F(InfluenceFunctionTest, DispatchByIdAndUnknownIds) {
  for (const Source& s : kSources) {
    SCOPED_TRACE(s.name);
    Use(s);
    Tessarin* skin = LooseSkin(2);
    auto* fpi = static_cast<FPInterface*>(source_->GetInterface(s.id));
    FPParams setArgs({FPValue::Ref(skin), FPValue::Int(1), FPValue::Float(0.75f)});
    FPValue result;
    EXPECT_EQ(fpi->Invoke(1, result, &setArgs), FPS_OK);
    EXPECT_EQ(result.i, TRUE);
    FPParams getArgs({FPValue::Ref(skin), FPValue::Int(1)});
    EXPECT_EQ(fpi->Invoke(0, result, &getArgs), FPS_OK);
    EXPECT_EQ(result.f, 0.75f);
    for (FunctionID unknown : {FunctionID(2), FunctionID(-1), FunctionID(100)})
      EXPECT_EQ(fpi->Invoke(unknown, result, &getArgs), FPS_NO_SUCH_FUNCTION) << unknown;
  }
}

TEST_F(InfluenceFunctionTest, NumbersOfTheOtherKindAreTaken) {
  for (const Source& s : kSources) {
    SCOPED_TRACE(s.name);
    Use(s);
    Tessarin* skin = LooseSkin(2);
    ScriptCallResult set = ScriptCallFunction(source_, s.id, L"set_influence",
                                              {FPValue::Ref(skin), FPValue::Float(2.0f), FPValue::Int(0)});
    EXPECT_EQ(set.value.i, TRUE);
    EXPECT_EQ(Tables().at(skin->instanceStamp)[1], 0.0f);
  }
}

TEST_F(InfluenceFunctionTest, TooFewArgumentsRaiseTheHostArrayError) {
  const char* kError = "Argument index out of bounds, passed into a MaxSDK::Array::operator[]";
  for (const Source& s : kSources) {
    SCOPED_TRACE(s.name);
    Use(s);
    Tessarin* skin = LooseSkin(2);
    struct Case {
      const wchar_t* fn;
      std::vector<FPValue> args;
    };
    const Case cases[] = {
        {L"get_influence", {}},
        {L"get_influence", {FPValue::Ref(skin)}},
        {L"set_influence", {FPValue::Ref(skin), FPValue::Int(1)}},
    };
    for (const Case& c : cases) {
      ScriptCallResult r = ScriptCallFunction(source_, s.id, c.fn, c.args);
      EXPECT_EQ(r.status, FPS_FAIL);
      EXPECT_EQ(r.error, kError);
    }
    EXPECT_TRUE(Tables().empty()) << "nothing was reached";
    // Directly, without an argument array at all.
    auto* fpi = static_cast<FPInterface*>(source_->GetInterface(s.id));
    FPValue result;
    EXPECT_THROW(fpi->Invoke(0, result, nullptr), std::out_of_range);
  }
}

}  // namespace
