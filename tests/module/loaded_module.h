#pragma once
// The built plug-in module, loaded by path once per test process and kept loaded (objects the
// tests create through it may outlive a single test). Tests reach plug-in objects only through
// its class descriptors.

#include <gtest/gtest.h>

#include "host/headless/headless_host.h"
#include "host/headless/plugin_loader.h"

inline PluginModule* LoadedModule() {
  static std::string error;
  static std::unique_ptr<PluginModule> module = PluginModule::Load(TESSARIN_MODULE_PATH, &error);
  EXPECT_NE(module, nullptr) << error;
  return module.get();
}

// A test with the module loaded and a clean scene.
class ModuleTest : public ::testing::Test {
protected:
  void SetUp() override {
    TheHost().ResetScene();
    module_ = LoadedModule();
    ASSERT_NE(module_, nullptr);
    ASSERT_EQ(module_->Classes().size(), 4u);
  }
  void TearDown() override { TheHost().ResetScene(); }

  ClassDesc2* Desc(int i) { return static_cast<ClassDesc2*>(module_->Classes()[i]); }

  // A new object of descriptor i as the base of its super class; null when the class has no
  // factory in this module.
  static Animatable* CreateThrough(ClassDesc* cd) {
    void* p = cd->Create(FALSE);
    if (!p) return nullptr;
    switch (cd->SuperClassID()) {
      case OSM_CLASS_ID:
      case WSM_CLASS_ID:
        return static_cast<Modifier*>(p);
      default:
        return static_cast<Object*>(p);
    }
  }

  PluginModule* module_ = nullptr;
};

// Deletes a host object the way the host does.
struct DeleteThisDeleter {
  void operator()(Animatable* a) const {
    if (a) a->DeleteThis();
  }
};
using ObjectPtr = std::unique_ptr<Animatable, DeleteThisDeleter>;
