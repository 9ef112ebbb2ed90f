#pragma once
// The texts of the About box and the addresses behind its links and the help button. Texts are
// UTF-8; the title, the maker's name and the help target are kept scrambled in the module.

#include <cstdint>
#include <string>

const std::string& AboutTitleText();
const std::string& AboutMakerName();
const std::string& HelpTarget();
// The one-line contact text under the picture.
const std::string& AboutContactLine();

// The first text block: the title, a space and the version text, then the copyright line with the
// module's build year and the maker's name; each line ended by a line break.
std::string AboutHeadline(int versionCode, int buildYear);

// The module file's build time (seconds since 1970, UTC), recorded when the module is linked;
// 0 until the module set-up passes it on.
void SetModuleBuildTime(std::int64_t secondsSince1970);
std::int64_t ModuleBuildTime();
// The UTC calendar year of a time (seconds since 1970).
int UtcYearOf(std::int64_t secondsSince1970);
