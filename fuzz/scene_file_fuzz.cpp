// Feeds arbitrary bytes to the scene file reader, with the host's classes and the test modifier
// class of the scene file tests registered. Beyond the sanitizers' own findings, a result that
// breaks the reader's promises aborts: a refused file leaves an empty scene and says why; a
// loaded one saves again, loads again, and then saves to the same bytes.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/headless/scene_file.h"
#include "tests/host/scene_test_classes.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = [] {
    scene_test::RegisterClasses();
    return true;
  }();
  (void)registered;

  HeadlessHost& host = TheHost();
  host.ResetScene();
  std::string error;
  if (!LoadSceneFromBytes({data, size}, &error)) {
    Require(!error.empty());
    Require(host.AllNodes().empty());
    return 0;
  }
  std::vector<std::uint8_t> first, second;
  Require(SaveSceneToBytes(first, &error));
  Require(LoadSceneFromBytes(first, &error));
  Require(SaveSceneToBytes(second, &error));
  Require(first == second);
  host.ResetScene();
  return 0;
}
