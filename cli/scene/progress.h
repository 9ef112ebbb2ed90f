#pragma once
// Progress of a long evaluation on a terminal: "frame 12/48  35.2 fps", redrawn in place at most
// ten times a second and cleared at the end. Silent when the stream is not a terminal, so that
// scripts and logs get no control characters.

#include <chrono>
#include <ostream>

class ProgressReporter {
public:
  // enabled: whether to draw at all (StderrIsTerminal() for the real program).
  ProgressReporter(std::ostream& out, bool enabled, int totalFrames);
  ~ProgressReporter();
  ProgressReporter(const ProgressReporter&) = delete;
  ProgressReporter& operator=(const ProgressReporter&) = delete;

  void FrameDone();
  // Clears the progress line (also done on destruction).
  void Finish();

private:
  void Draw();

  using Clock = std::chrono::steady_clock;
  std::ostream& out_;
  bool enabled_;
  int total_;
  int done_ = 0;
  bool drawn_ = false;
  Clock::time_point start_ = Clock::now();
  Clock::time_point lastDraw_{};
};

bool StderrIsTerminal();
