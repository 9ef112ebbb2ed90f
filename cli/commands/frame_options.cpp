#include "cli/commands/frame_options.h"

namespace {

CLI::Validator RangeText() {
  return CLI::Validator(
      [](std::string& s) {
        FrameRange r;
        std::string why;
        return ParseFrameRange(s, r, why) ? std::string() : why;
      },
      "A:B");
}

CLI::Validator TimeText() {
  return CLI::Validator(
      [](std::string& s) {
        double f = 0.0;
        std::string why;
        return ParseFrameTime(s, f, why) ? std::string() : why;
      },
      "FRAME");
}

}  // namespace

CLI::Option* AddFrameRangeOption(CLI::App& cmd, const std::string& name, std::optional<FrameRange>& range,
                                 const std::string& help) {
  return cmd
      .add_option_function<std::string>(
          name,
          [&range](const std::string& s) {
            FrameRange r;
            std::string why;
            if (ParseFrameRange(s, r, why)) range = r;  // the validator has refused anything else
          },
          help)
      ->check(RangeText());
}

CLI::Option* AddFrameTimeOption(CLI::App& cmd, const std::string& name, std::optional<double>& frame,
                                const std::string& help) {
  return cmd
      .add_option_function<std::string>(
          name,
          [&frame](const std::string& s) {
            double f = 0.0;
            std::string why;
            if (ParseFrameTime(s, f, why)) frame = f;
          },
          help)
      ->check(TimeText());
}

bool FrameRangeUsable(std::ostream& err, const std::string& option, const FrameRange& range, int frameRate) {
  std::string why;
  if (CheckFrameRange(range, frameRate, why)) return true;
  err << "tessarin: " << option << ' ' << FrameRangeText(range) << ": " << why << '\n';
  return false;
}

bool FrameTimeUsable(std::ostream& err, const std::string& option, double frame, int frameRate) {
  std::string why;
  if (CheckFrameTime(frame, frameRate, why)) return true;
  err << "tessarin: " << option << ": " << why << '\n';
  return false;
}
