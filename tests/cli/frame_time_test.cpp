// Frame ranges and frame times as the commands take them: what parses, what a frame rate can
// reach in ticks, and the bound on one run.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "cli/scene/frame_time.h"

namespace {

struct RangeCase {
  const char* name;
  const char* text;
  bool ok;
  int first, last;
  const char* fragment;  // of the reason when refused
};

class FrameRangeText : public ::testing::TestWithParam<RangeCase> {};

TEST_P(FrameRangeText, ParsesOrSaysWhy) {
  const RangeCase& c = GetParam();
  FrameRange r{-7, -7};
  std::string why;
  ASSERT_EQ(ParseFrameRange(c.text, r, why), c.ok) << why;
  if (c.ok) {
    EXPECT_EQ(r.first, c.first);
    EXPECT_EQ(r.last, c.last);
  } else {
    EXPECT_NE(why.find(c.fragment), std::string::npos) << why;
    EXPECT_EQ(r.first, -7) << "a refused text leaves the range alone";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, FrameRangeText,
    ::testing::Values(RangeCase{"Range", "10:20", true, 10, 20, ""},
                      RangeCase{"SingleFrame", "7", true, 7, 7, ""},
                      RangeCase{"NegativeStart", "-5:5", true, -5, 5, ""},
                      RangeCase{"WholeIntSpan", "0:2147483647", true, 0, INT_MAX, ""},
                      RangeCase{"EndsBeforeItStarts", "20:10", false, 0, 0, "ends before it starts"},
                      RangeCase{"BeyondInt", "0:2147483648", false, 0, 0, "out of range"},
                      RangeCase{"Fraction", "1.5:3", false, 0, 0, "not a whole frame"},
                      RangeCase{"MissingEnd", "3:", false, 0, 0, "missing"},
                      RangeCase{"Trailing", "3:4x", false, 0, 0, "not a whole frame"},
                      RangeCase{"Empty", "", false, 0, 0, "missing"}),
    [](const auto& info) { return info.param.name; });

struct TimeCase {
  const char* name;
  const char* text;
  bool ok;
  double frame;
  const char* fragment;
};

class FrameTimeText : public ::testing::TestWithParam<TimeCase> {};

TEST_P(FrameTimeText, ParsesOrSaysWhy) {
  const TimeCase& c = GetParam();
  double f = -7.0;
  std::string why;
  ASSERT_EQ(ParseFrameTime(c.text, f, why), c.ok) << why;
  if (c.ok) {
    EXPECT_EQ(f, c.frame);
  } else {
    EXPECT_NE(why.find(c.fragment), std::string::npos) << why;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, FrameTimeText,
    ::testing::Values(TimeCase{"Whole", "12", true, 12.0, ""}, TimeCase{"Fraction", "2.5", true, 2.5, ""},
                      TimeCase{"Negative", "-3", true, -3.0, ""},
                      TimeCase{"NotANumber", "nan", false, 0, "finite"},
                      TimeCase{"Infinite", "inf", false, 0, "finite"},
                      TimeCase{"TooLargeForADouble", "1e400", false, 0, "out of range"},
                      TimeCase{"Word", "noon", false, 0, "not a frame number"},
                      TimeCase{"Empty", "", false, 0, "not a frame number"}),
    [](const auto& info) { return info.param.name; });

// At 30 fps a frame is 160 ticks: 13,421,772 frames reach 2,147,483,520 ticks, one more wraps.
struct TicksCase {
  const char* name;
  double frame;
  int frameRate;
  bool fits;
  TimeValue ticks;
};

class FrameTicksAt : public ::testing::TestWithParam<TicksCase> {};

TEST_P(FrameTicksAt, FitOrNot) {
  const TicksCase& c = GetParam();
  std::optional<TimeValue> t = FrameTicks(c.frame, c.frameRate);
  ASSERT_EQ(t.has_value(), c.fits);
  if (c.fits) {
    EXPECT_EQ(*t, c.ticks);
  }
  std::string why;
  EXPECT_EQ(CheckFrameTime(c.frame, c.frameRate, why), c.fits) << why;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FrameTicksAt,
    ::testing::Values(TicksCase{"Zero", 0.0, 30, true, 0}, TicksCase{"Fraction", 1.5, 30, true, 240},
                      TicksCase{"LastAt30", 13421772.0, 30, true, 2147483520},
                      TicksCase{"FirstBeyondAt30", 13421773.0, 30, false, 0},
                      TicksCase{"FirstAt30", -13421772.0, 30, true, -2147483520},
                      TicksCase{"BelowFirstAt30", -13421773.0, 30, false, 0},
                      // At 4800 fps a frame is one tick: the infinities themselves are no frames.
                      TicksCase{"BelowPositiveInfinity", 2147483646.0, 4800, true, 2147483646},
                      TicksCase{"PositiveInfinity", 2147483647.0, 4800, false, 0},
                      TicksCase{"NegativeInfinity", -2147483648.0, 4800, false, 0},
                      TicksCase{"NotANumber", std::nan(""), 30, false, 0},
                      TicksCase{"Infinite", std::numeric_limits<double>::infinity(), 30, false, 0},
                      TicksCase{"Huge", 1e300, 30, false, 0}),
    [](const auto& info) { return info.param.name; });

TEST(FrameTicks, UsableFramesAreTheEdgesOfWhatFits) {
  for (int fps : {1, 24, 25, 30, 60, 4800}) {
    EXPECT_TRUE(FrameTicks(LastUsableFrame(fps), fps)) << fps;
    EXPECT_FALSE(FrameTicks(double(LastUsableFrame(fps)) + 1.0, fps)) << fps;
    EXPECT_TRUE(FrameTicks(FirstUsableFrame(fps), fps)) << fps;
    EXPECT_FALSE(FrameTicks(double(FirstUsableFrame(fps)) - 1.0, fps)) << fps;
  }
}

struct RunCase {
  const char* name;
  FrameRange range;
  int frameRate;
  bool ok;
  const char* fragment;
};

class RunRange : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunRange, UsableOrSaysWhy) {
  const RunCase& c = GetParam();
  std::string why;
  EXPECT_EQ(CheckFrameRange(c.range, c.frameRate, why), c.ok) << why;
  if (!c.ok) {
    EXPECT_NE(why.find(c.fragment), std::string::npos) << why;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, RunRange,
    ::testing::Values(RunCase{"Ordinary", {0, 100}, 30, true, ""},
                      RunCase{"AtTheBound", {1, int(kMaxRunFrames)}, 30, true, ""},
                      RunCase{"OneOverTheBound", {0, int(kMaxRunFrames)}, 30, false, "at most"},
                      RunCase{"WholeIntSpan", {0, INT_MAX}, 4800, false, "beyond"},
                      RunCase{"EndBeyondTicks", {13421770, 13421773}, 30, false, "beyond"},
                      RunCase{"NearTheLastTick", {2147483640, 2147483646}, 4800, true, ""},
                      RunCase{"Backwards", {5, 2}, 30, false, "ends before it starts"},
                      RunCase{"WholeIntSpanCounted", {INT_MIN + 1, INT_MAX - 1}, 4800, false, "at most"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
