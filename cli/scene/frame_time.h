#pragma once
// Frames and times as the commands take them: parsing "A:B" ranges and frame times, and
// checking them against a scene's frame rate. A frame is usable only when its tick count fits
// the host's 32-bit TimeValue without touching the two values the host keeps for negative and
// positive infinity; a run is bounded so that a typing slip cannot start one that never ends.

#include <optional>
#include <string>
#include <string_view>

#include "host/sdk/maxtypes.h"

// The most frames one run evaluates and writes.
inline constexpr long long kMaxRunFrames = 100000;

struct FrameRange {
  int first = 0;
  int last = 0;
  // In 64 bits: a range over the whole int span has more frames than an int holds.
  long long Count() const { return static_cast<long long>(last) - first + 1; }
};

// Ticks per frame as the host counts them (a frame rate outside 1..4800 counts as 30).
int TicksPerFrame(int frameRate);

// The tick count of a frame, rounded to the nearest tick; none when the frame is not finite or
// its ticks lie outside what a TimeValue holds between the infinities.
std::optional<TimeValue> FrameTicks(double frame, int frameRate);

// The first and last whole frames whose ticks fit at frameRate.
int FirstUsableFrame(int frameRate);
int LastUsableFrame(int frameRate);

// "A:B" (inclusive, A <= B) or a single frame "A", whole numbers that fit an int. False with
// why set ("the range 20:10 ends before it starts").
bool ParseFrameRange(std::string_view text, FrameRange& range, std::string& why);

// A frame time: a finite number, fractions allowed. False with why set.
bool ParseFrameTime(std::string_view text, double& frame, std::string& why);

// Whether both ends of range reach a TimeValue at frameRate and the range holds at most
// kMaxRunFrames frames. False with why set.
bool CheckFrameRange(const FrameRange& range, int frameRate, std::string& why);

// Whether a frame time is finite and reaches a TimeValue at frameRate. False with why set.
bool CheckFrameTime(double frame, int frameRate, std::string& why);

// "20:10", "7" for messages.
std::string FrameRangeText(const FrameRange& range);
