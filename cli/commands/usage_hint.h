#pragma once
// What the program says about a command line it cannot parse: the parser's complaint with the
// "tessarin:" prefix, and a hint (the command or option meant, where a near one exists, and
// where to read the options).

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

// The name among `names` nearest to `word` (letters added, dropped, changed or swapped), when
// it is near enough to be a slip of the keyboard; empty otherwise.
std::string NearestName(const std::string& word, const std::vector<std::string>& names);

// The lines to print for a failed parse of argv by app (each ends with a line feed).
std::string UsageErrorText(const CLI::App& app, const CLI::ParseError& error, int argc, const char* const* argv);
