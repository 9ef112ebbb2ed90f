#include "cli/scene/progress.h"

#include <unistd.h>

#include <cstdio>

ProgressReporter::ProgressReporter(std::ostream& out, bool enabled, int totalFrames)
    : out_(out), enabled_(enabled), total_(totalFrames) {}

ProgressReporter::~ProgressReporter() { Finish(); }

void ProgressReporter::FrameDone() {
  ++done_;
  if (!enabled_) return;
  auto now = Clock::now();
  if (drawn_ && now - lastDraw_ < std::chrono::milliseconds(100) && done_ < total_) return;
  lastDraw_ = now;
  Draw();
}

void ProgressReporter::Draw() {
  double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
  double fps = seconds > 0.0 ? done_ / seconds : 0.0;
  char line[96];
  std::snprintf(line, sizeof line, "\rframe %d/%d  %.1f fps ", done_, total_, fps);
  out_ << line << std::flush;
  drawn_ = true;
}

void ProgressReporter::Finish() {
  if (!drawn_) return;
  out_ << "\r\x1b[K" << std::flush;
  drawn_ = false;
}

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }
