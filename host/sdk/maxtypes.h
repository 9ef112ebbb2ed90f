#pragma once
// Identifiers, time and the small constants shared by every host interface.

#include <cstdint>
#include <functional>

#include "host/sdk/windefs.h"

// Time in ticks: 4800 per second.
using TimeValue = int;
inline constexpr TimeValue TIME_TICKSPERSEC = 4800;
inline constexpr TimeValue TIME_NegInfinity = static_cast<TimeValue>(0x80000000u);
inline constexpr TimeValue TIME_PosInfinity = 0x7FFFFFFF;

using SClass_ID = ULONG;

class Class_ID {
public:
  constexpr Class_ID() = default;
  constexpr Class_ID(ULONG a, ULONG b) : a_(a), b_(b) {}
  constexpr ULONG PartA() const { return a_; }
  constexpr ULONG PartB() const { return b_; }
  constexpr void SetPartA(ULONG a) { a_ = a; }
  constexpr void SetPartB(ULONG b) { b_ = b; }
  constexpr bool operator==(const Class_ID&) const = default;
  constexpr bool operator<(const Class_ID& o) const { return a_ < o.a_ || (a_ == o.a_ && b_ < o.b_); }

private:
  ULONG a_ = 0xFFFFFFFF;
  ULONG b_ = 0xFFFFFFFF;
};

class Interface_ID {
public:
  constexpr Interface_ID() = default;
  constexpr Interface_ID(ULONG a, ULONG b) : a_(a), b_(b) {}
  constexpr ULONG PartA() const { return a_; }
  constexpr ULONG PartB() const { return b_; }
  constexpr bool operator==(const Interface_ID&) const = default;

private:
  ULONG a_ = 0xFFFFFFFF;
  ULONG b_ = 0xFFFFFFFF;
};

// Super-class identifiers.
inline constexpr SClass_ID GEN_DERIVOB_CLASS_ID = 0x0002;
inline constexpr SClass_ID BASENODE_CLASS_ID = 0x0001;
inline constexpr SClass_ID GEOMOBJECT_CLASS_ID = 0x0010;
inline constexpr SClass_ID SHAPE_CLASS_ID = 0x0040;
inline constexpr SClass_ID HELPER_CLASS_ID = 0x0050;
inline constexpr SClass_ID OSM_CLASS_ID = 0x0810;
inline constexpr SClass_ID WSM_CLASS_ID = 0x0820;
inline constexpr SClass_ID WSM_DERIVOB_CLASS_ID = 0x0003;
inline constexpr SClass_ID PARAMETER_BLOCK2_CLASS_ID = 0x0082;
inline constexpr SClass_ID REF_TARGET_CLASS_ID = 0x0900;
inline constexpr SClass_ID CTRL_MATRIX3_CLASS_ID = 0x9008;

// Well-known class identifiers of host classes.
inline constexpr Class_ID NODE_CLASS_ID{1, 0};
inline constexpr Class_ID DERIVOB_CLASS_ID{2, 0};
inline constexpr Class_ID WSMDERIVOB_CLASS_ID{3, 0};
inline constexpr Class_ID triObjectClassID{0x0009, 0};
inline constexpr Class_ID polyObjectClassID{0x5d21369a, 0x4f8b14ee};
inline constexpr Class_ID patchObjectClassID{0x1030, 0};
inline constexpr Class_ID defObjectClassID{0x6d2a4c6a, 0x6cf0e18b};
inline constexpr Class_ID genericShapeClassID{0x1001, 0};
inline constexpr Class_ID splineShapeClassID{0x0000000a, 0};
inline constexpr Class_ID dummyClassID{0x876234, 0};
inline constexpr Class_ID pointHelperClassID{0x2ec7ef1b, 0};
inline constexpr Class_ID boneObjectClassID{0x9125, 0};      // the host's bone geometry object
inline constexpr Class_ID legacyBoneClassID{0x8a63c0, 0};    // the host's legacy bone object
inline constexpr Class_ID refTargContainerClassID{0xa1692edf, 0xd681173f};
inline constexpr Class_ID paramBlock2ClassID{0x82, 0};

// Channels of an object in the modifier pipeline.
using ChannelMask = ULONG;
inline constexpr ChannelMask TOPO_CHANNEL = 1 << 0;
inline constexpr ChannelMask GEOM_CHANNEL = 1 << 1;
inline constexpr ChannelMask TEXMAP_CHANNEL = 1 << 2;
inline constexpr ChannelMask MTL_CHANNEL = 1 << 3;
inline constexpr ChannelMask SELECT_CHANNEL = 1 << 4;
inline constexpr ChannelMask SUBSEL_TYPE_CHANNEL = 1 << 5;
inline constexpr ChannelMask DISP_ATTRIB_CHANNEL = 1 << 6;
inline constexpr ChannelMask VERTCOLOR_CHANNEL = 1 << 7;
inline constexpr ChannelMask GFX_DATA_CHANNEL = 1 << 8;
inline constexpr ChannelMask ALL_CHANNELS = 0x1FF;

inline constexpr int TOPO_CHAN_NUM = 0;
inline constexpr int GEOM_CHAN_NUM = 1;
inline constexpr int TEXMAP_CHAN_NUM = 2;
inline constexpr int MTL_CHAN_NUM = 3;
inline constexpr int SELECT_CHAN_NUM = 4;
inline constexpr int SUBSEL_TYPE_CHAN_NUM = 5;
inline constexpr int DISP_ATTRIB_CHAN_NUM = 6;
inline constexpr int VERT_COLOR_CHAN_NUM = 7;
inline constexpr int GFX_DATA_CHAN_NUM = 8;
inline constexpr int NUM_OBJ_CHANS = 9;

// Parts of a change carried by reference messages.
using PartID = ULONG;
inline constexpr PartID PART_TOPO = TOPO_CHANNEL;
inline constexpr PartID PART_GEOM = GEOM_CHANNEL;
inline constexpr PartID PART_TEXMAP = TEXMAP_CHANNEL;
inline constexpr PartID PART_MTL = MTL_CHANNEL;
inline constexpr PartID PART_SELECT = SELECT_CHANNEL;
inline constexpr PartID PART_SUBSEL_TYPE = SUBSEL_TYPE_CHANNEL;
inline constexpr PartID PART_DISPLAY = DISP_ATTRIB_CHANNEL;
inline constexpr PartID PART_VERTCOLOR = VERTCOLOR_CHANNEL;
inline constexpr PartID PART_OBJ = TOPO_CHANNEL | GEOM_CHANNEL;
inline constexpr PartID PART_TM = 1u << 24;
inline constexpr PartID PART_ALL = ALL_CHANNELS | PART_TM;

using RefMessage = ULONG;
inline constexpr RefMessage REFMSG_CHANGE = 0x00000004;
inline constexpr RefMessage REFMSG_TARGET_DELETED = 0x00000002;
inline constexpr RefMessage REFMSG_NODE_NAMECHANGE = 0x00000020;
inline constexpr RefMessage REFMSG_SUBANIM_STRUCTURE_CHANGED = 0x00000024;
inline constexpr RefMessage REFMSG_REF_DELETED = 0x00000025;
inline constexpr RefMessage REFMSG_CONTAINER_ELEMENT_ADDED = 0x00000031;
inline constexpr RefMessage REFMSG_CONTAINER_ELEMENT_REMOVED = 0x00000032;
inline constexpr RefMessage REFMSG_USER = 0x00010000;

enum RefResult { REF_FAIL = 0, REF_SUCCEED = 1, REF_DONTCARE = 2, REF_STOP = 3, REF_INVALID = 4 };
using RefResultOrBool = RefResult;

// Results of the scene-file interfaces.
enum IOResult { IO_OK = 0, IO_END = 1, IO_ERROR = 2 };

// Function-publishing status codes.
using FPStatus = int;
inline constexpr FPStatus FPS_FAIL = 0;
inline constexpr FPStatus FPS_OK = 1;
inline constexpr FPStatus FPS_NO_SUCH_FUNCTION = -1;
inline constexpr FPStatus FPS_ACTION_DISABLED = -2;
