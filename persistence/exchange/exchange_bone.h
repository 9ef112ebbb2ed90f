#pragma once
// One bone block of an exchange file, each field as stored.

#include <cstdint>
#include <string>
#include <vector>

#include "host/sdk/point3.h"

struct ExchangeBone {
  // The bone node's name, UTF-8, at most 256 bytes.
  std::string name;
  // The host's persistent handle of the bone node; 0 in files without handles.
  std::uint32_t nodeHandle = 0;
  float falloff = 1.0f;
  float strength = 1.0f;
  // Length of vertexCodes and, from the forced-weight version on, of forcedWeights.
  std::int32_t vertexCount = 0;
  // One per vertex, as stored: in the oldest version a byte above 128 still packs a weight.
  std::vector<std::uint8_t> vertexCodes;
  // One per vertex, in percent; empty in the oldest version.
  std::vector<float> forcedWeights;
  // As stored; 0 or below means the four spline tables are absent (empty).
  std::int32_t splineCount = 0;
  // Each one per spline entry (splineCount entries when it is above 0).
  std::vector<float> splineParam;
  std::vector<std::int32_t> splineCurve;
  std::vector<Point3> splineOffset;
  std::vector<Point3> splineTangent;
};
