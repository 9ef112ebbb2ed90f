#include "cli/scene/frame_time.h"

#include <charconv>
#include <cmath>
#include <sstream>
#include <utility>

namespace {

// The ticks a frame may have: the host's infinities are no times to evaluate at.
constexpr long long kFirstTick = static_cast<long long>(TIME_NegInfinity) + 1;
constexpr long long kLastTick = static_cast<long long>(TIME_PosInfinity) - 1;

std::string Shown(double v) {
  std::ostringstream s;
  s.precision(17);
  s << v;
  return s.str();
}

bool WholeFrame(std::string_view s, int& v, std::string& why) {
  if (s.empty()) {
    why = "a frame is missing";
    return false;
  }
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec == std::errc::result_out_of_range) {
    why = "frame " + std::string(s) + " is out of range";
    return false;
  }
  if (ec != std::errc() || end != s.data() + s.size()) {
    // Built in a fresh string: g++ 12 at -O3 misreads "\"" + string, and the same assigned to
    // why, as overlapping copies.
    std::string text = "\"";
    text += s;
    text += "\" is not a whole frame number";
    why = std::move(text);
    return false;
  }
  return true;
}

}  // namespace

int TicksPerFrame(int frameRate) {
  return TIME_TICKSPERSEC / (frameRate >= 1 && frameRate <= TIME_TICKSPERSEC ? frameRate : 30);
}

std::optional<TimeValue> FrameTicks(double frame, int frameRate) {
  if (!std::isfinite(frame)) return std::nullopt;
  const double ticks = std::nearbyint(frame * TicksPerFrame(frameRate));
  // Compared as doubles before any conversion: an out-of-range conversion is undefined.
  if (!(ticks >= double(kFirstTick) && ticks <= double(kLastTick))) return std::nullopt;
  return static_cast<TimeValue>(ticks);
}

int FirstUsableFrame(int frameRate) {
  const long long tpf = TicksPerFrame(frameRate);
  return static_cast<int>(-(-kFirstTick / tpf));  // rounds towards zero: the frame stays inside
}

int LastUsableFrame(int frameRate) { return static_cast<int>(kLastTick / TicksPerFrame(frameRate)); }

std::string FrameRangeText(const FrameRange& range) {
  return range.first == range.last ? std::to_string(range.first)
                                   : std::to_string(range.first) + ":" + std::to_string(range.last);
}

bool ParseFrameRange(std::string_view text, FrameRange& range, std::string& why) {
  const std::size_t colon = text.find(':');
  FrameRange r;
  if (colon == std::string_view::npos) {
    if (!WholeFrame(text, r.first, why)) return false;
    r.last = r.first;
  } else if (!WholeFrame(text.substr(0, colon), r.first, why) || !WholeFrame(text.substr(colon + 1), r.last, why)) {
    return false;
  }
  if (r.last < r.first) {
    why = "the range " + std::string(text) + " ends before it starts";
    return false;
  }
  range = r;
  return true;
}

bool ParseFrameTime(std::string_view text, double& frame, std::string& why) {
  double v = 0.0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec == std::errc::result_out_of_range) {
    why = "frame " + std::string(text) + " is out of range";
    return false;
  }
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) {
    std::string quoted = "\"";
    quoted += text;
    quoted += "\" is not a frame number";
    why = std::move(quoted);
    return false;
  }
  if (!std::isfinite(v)) {
    why = "a frame must be a finite number, got " + std::string(text);
    return false;
  }
  frame = v;
  return true;
}

bool CheckFrameTime(double frame, int frameRate, std::string& why) {
  if (!std::isfinite(frame)) {
    why = "a frame must be a finite number, got " + Shown(frame);
    return false;
  }
  if (FrameTicks(frame, frameRate)) return true;
  why = "frame " + Shown(frame) + " is beyond the frames a scene at " + std::to_string(frameRate) +
        " fps can reach (" + std::to_string(FirstUsableFrame(frameRate)) + " to " +
        std::to_string(LastUsableFrame(frameRate)) + ")";
  return false;
}

bool CheckFrameRange(const FrameRange& range, int frameRate, std::string& why) {
  if (range.last < range.first) {
    why = "the range " + FrameRangeText(range) + " ends before it starts";
    return false;
  }
  if (!CheckFrameTime(range.first, frameRate, why) || !CheckFrameTime(range.last, frameRate, why)) return false;
  if (range.Count() > kMaxRunFrames) {
    why = "the range " + FrameRangeText(range) + " holds " + std::to_string(range.Count()) +
          " frames; one run evaluates at most " + std::to_string(kMaxRunFrames) + " (split it into several runs)";
    return false;
  }
  return true;
}
