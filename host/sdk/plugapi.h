#pragma once
// The plug-in module contract: the SDK release a module is built for, and the entry points a
// module exports by name (C linkage) for the host to call after loading it.

#include "host/sdk/windefs.h"

class ClassDesc;

inline constexpr ULONG MAX_RELEASE = 22000;
inline constexpr ULONG MAX_API_NUM = 55;
inline constexpr ULONG MAX_SDK_REV = 0;
// Release in the high 16 bits, API number in bits 8 to 15, SDK revision in the low byte.
inline constexpr ULONG MakeSdkVersion(ULONG release, ULONG api, ULONG revision) {
  return (release << 16) + (api << 8) + revision;
}
inline constexpr ULONG VERSION_3DSMAX = MakeSdkVersion(MAX_RELEASE, MAX_API_NUM, MAX_SDK_REV);

// Entry points, in the order the host calls them after loading a module.
using LibVersionFn = ULONG (*)();
using LibNumberClassesFn = int (*)();
using LibClassDescFn = ClassDesc* (*)(int i);
using LibDescriptionFn = const MCHAR* (*)();
using LibInitializeFn = int (*)();
using LibShutdownFn = int (*)();
