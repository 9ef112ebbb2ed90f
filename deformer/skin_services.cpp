#include "deformer/skin_services.h"

SkinServices& GetSkinServices() {
  static SkinServices services;
  return services;
}
