#pragma once
// The frame and time options of the commands (run --frames, dump --time, paint --time, demo),
// all through the checks of cli/scene/frame_time.h. The text is checked while the command line
// is parsed (a usage error, exit 2); what depends on the scene's frame rate is checked once the
// scene is loaded, and is a usage error too.

#include <CLI/CLI.hpp>

#include <optional>
#include <ostream>
#include <string>

#include "cli/scene/frame_time.h"

// The exit code of a command line that asks for something impossible.
inline constexpr int kUsageErrorExit = 2;

// A range option ("A:B" or "A") stored into range when given.
CLI::Option* AddFrameRangeOption(CLI::App& cmd, const std::string& name, std::optional<FrameRange>& range,
                                 const std::string& help);
// A frame-time option (a finite number, fractions allowed) stored into frame when given.
CLI::Option* AddFrameTimeOption(CLI::App& cmd, const std::string& name, std::optional<double>& frame,
                                const std::string& help);

// The checks against the loaded scene's frame rate. True when usable; otherwise the reason is on
// err as "tessarin: --frames 0:2147483647: ..." and the command exits with kUsageErrorExit.
bool FrameRangeUsable(std::ostream& err, const std::string& option, const FrameRange& range, int frameRate);
bool FrameTimeUsable(std::ostream& err, const std::string& option, double frame, int frameRate);
