#include "selection/tessarin_subobj_type.h"

namespace {

constinit TessarinISubObjType g_bone(L"Bone");
constinit TessarinISubObjType g_vertex(L"Vertex");

}  // namespace

ISubObjType* TessarinSubObjType(int i) {
  switch (i) {
    case 0:
      return &g_bone;
    case 1:
      return &g_vertex;
    default:
      return nullptr;
  }
}
