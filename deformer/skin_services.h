#pragma once
// What the skin modifier needs from subsystems built on top of it: its scene chunks and the
// exchange-file import (persistence), the influence-source passes and the secondary-motion
// settings (sources). Each subsystem installs its part when the module is set up (tests install
// what they exercise), so that the deformer depends on none of them. An absent service means:
// nothing stored, no push-out, no secondary motion, no import.

#include <cstdint>

#include "host/sdk/maxtypes.h"
#include "host/sdk/point3.h"

class Animatable;
class ISave;
class ILoad;
class INode;
class IObjParam;
class Tessarin;
struct MotionSettings;

struct SkinServices {
  IOResult (*save)(Tessarin& skin, ISave* isave) = nullptr;
  IOResult (*load)(Tessarin& skin, ILoad* iload) = nullptr;
  int (*remapRefOnLoad)(Tessarin& skin, int iref) = nullptr;

  // Orbicle pass, then fluxel pass, on n world positions (read and written); touched holds one
  // byte per vertex and is set for every vertex moved.
  void (*applyInfluenceSources)(Tessarin& skin, TimeValue t, int n, Point3* positions,
                                std::uint8_t* touched) = nullptr;

  // The secondary-motion settings of a bone node at t; false when the bone carries none.
  bool (*findMotionSettings)(INode* bone, TimeValue t, MotionSettings* settings) = nullptr;

  // Replaces the skin's bones by those of an exchange file the user chooses in the open-file
  // dialog; false when the dialog was cancelled or the file was not applied (the skin then
  // showed its message).
  bool (*importExchangeFile)(Tessarin& skin) = nullptr;

  // The skin's command-panel page (the user-interface shell): opened while the host edits the
  // modifier, closed when the editing ends. Without them the modifier shows no page.
  void (*beginEditParams)(Tessarin& skin, IObjParam* ip, ULONG flags, Animatable* prev) = nullptr;
  void (*endEditParams)(Tessarin& skin, IObjParam* ip, ULONG flags, Animatable* next) = nullptr;
};

SkinServices& GetSkinServices();
