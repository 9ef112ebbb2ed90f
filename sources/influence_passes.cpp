#include "sources/influence_passes.h"

#include <exception>

#include "deformer/skin_services.h"

void ApplyInfluenceSources(Tessarin& skin, TimeValue t, int n, Point3* positions, std::uint8_t* touched) {
  // A table that cannot be allocated ends the push-out for this evaluation; nothing reaches the
  // host.
  try {
    ApplyOrbiclePass(skin, t, n, positions, touched);
    ApplyFluxelPass(skin, t, n, positions, touched);
  } catch (const std::exception&) {
  }
}

void InstallInfluencePasses() { GetSkinServices().applyInfluenceSources = &ApplyInfluenceSources; }
