#include "ui/about_texts.h"

#include <chrono>

#include "module/resources/version_text.h"
#include "ui/scrambled_text.h"

namespace {

constexpr auto kTitle = Scramble("Tessarin");
constexpr auto kMaker = Scramble("The Tessarin developers");
constexpr auto kHelp = Scramble("https://tessarin.example.org/help/");

std::int64_t g_buildTime = 0;

}  // namespace

const std::string& AboutTitleText() {
  static const std::string text = Unscramble(kTitle);
  return text;
}

const std::string& AboutMakerName() {
  static const std::string text = Unscramble(kMaker);
  return text;
}

const std::string& HelpTarget() {
  static const std::string text = Unscramble(kHelp);
  return text;
}

// The mail address sits under link region 4, the product page under region 5.
const std::string& AboutContactLine() {
  static const std::string text = "tessarin@example.org        tessarin.example.org";
  return text;
}

std::string AboutHeadline(int versionCode, int buildYear) {
  return AboutTitleText() + " " + VersionText(versionCode) + "\r\n" + "\xC2\xA9 " + std::to_string(buildYear) + " " +
         AboutMakerName() + "\r\n";
}

void SetModuleBuildTime(std::int64_t secondsSince1970) { g_buildTime = secondsSince1970; }
std::int64_t ModuleBuildTime() { return g_buildTime; }

int UtcYearOf(std::int64_t secondsSince1970) {
  using namespace std::chrono;
  const sys_days day = floor<days>(sys_seconds{seconds{secondsSince1970}});
  return static_cast<int>(year_month_day{day}.year());
}
