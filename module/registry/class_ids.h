#pragma once
// The fixed identifiers of the plug-in's classes and published interfaces (scene files store
// objects under these).

#include "host/sdk/maxtypes.h"

inline constexpr Class_ID TESSARIN_CLASS_ID{0x37E26E45, 0x543B6B2A};
inline constexpr Class_ID WOBBLEX_CLASS_ID{0x6E140C30, 0x18CB78DD};
inline constexpr Class_ID ORBICLE_CLASS_ID{0x6FED4BD7, 0x460D2239};
inline constexpr Class_ID FLUXEL_CLASS_ID{0x11524444, 0x4E8E1C80};

inline constexpr Interface_ID TESSARIN_INTERFACE_ID{0x12F527CC, 0x59B44CA4};
inline constexpr Interface_ID ORBICLE_INTERFACE_ID{0x55280183, 0x58006A4B};
inline constexpr Interface_ID FLUXEL_INTERFACE_ID{0x796E17ED, 0x0D5059F2};
