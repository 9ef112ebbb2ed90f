#include "cli/commands/usage_hint.h"

#include <algorithm>
#include <numeric>

namespace {

// Edits between a and b, a swap of two neighbours counting as one.
std::size_t EditDistance(const std::string& a, const std::string& b) {
  const std::size_t n = a.size(), m = b.size();
  // (n + 1) x (m + 1), row-major.
  std::vector<std::size_t> d((n + 1) * (m + 1));
  auto at = [&](std::size_t i, std::size_t j) -> std::size_t& { return d[i * (m + 1) + j]; };
  for (std::size_t i = 0; i <= n; ++i) at(i, 0) = i;
  for (std::size_t j = 0; j <= m; ++j) at(0, j) = j;
  for (std::size_t i = 1; i <= n; ++i) {
    for (std::size_t j = 1; j <= m; ++j) {
      const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
      at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
    }
  }
  return at(n, m);
}

bool IsOption(const std::string& word) { return !word.empty() && word[0] == '-'; }

// The long option names of a command ("--frames"), help included.
std::vector<std::string> LongOptionNames(const CLI::App& command) {
  std::vector<std::string> names;
  for (const CLI::Option* option : command.get_options())
    for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
  return names;
}

}  // namespace

std::string NearestName(const std::string& word, const std::vector<std::string>& names) {
  std::string best;
  std::size_t bestDistance = 0;
  for (const std::string& name : names) {
    const std::size_t distance = EditDistance(word, name);
    if (best.empty() || distance < bestDistance) {
      best = name;
      bestDistance = distance;
    }
  }
  // A third of the word may be wrong, at least one letter and at most two.
  const std::size_t allowed = std::clamp<std::size_t>(word.size() / 3, 1, 2);
  return !best.empty() && bestDistance <= allowed && bestDistance < word.size() ? best : std::string();
}

std::string UsageErrorText(const CLI::App& app, const CLI::ParseError& error, int argc, const char* const* argv) {
  std::vector<std::string> words(argv + std::min(argc, 1), argv + argc);
  std::vector<std::string> commands;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
    commands.push_back(sub->get_name());

  // The first word that is neither an option nor the value of one of the program's own options
  // (--module PATH): the command.
  auto first = words.begin();
  while (first != words.end() && IsOption(*first)) {
    const CLI::Option* option = first->find('=') == std::string::npos ? app.get_option_no_throw(*first) : nullptr;
    first += option && option->get_type_size() != 0 && first + 1 != words.end() ? 2 : 1;
  }
  const CLI::App* command = nullptr;
  if (first != words.end()) {
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
      if (sub->check_name(*first)) command = sub;
    if (!command) {
      // An unknown first word is a command misspelt, whatever the parser made of it.
      std::string text = "tessarin: unknown command '" + *first + "'";
      const std::string near = NearestName(*first, commands);
      if (!near.empty()) text += "; did you mean '" + near + "'?";
      std::string list;
      for (const std::string& c : commands) list += (list.empty() ? "" : ", ") + c;
      return text + "\ntessarin: the commands are " + list + " (tessarin --help)\n";
    }
  }

  std::string text = "tessarin: " + std::string(error.what()) + "\n";
  if (command) {
    // An option misspelt: name the one meant.
    for (const std::string& w : words) {
      if (w.size() < 3 || w.compare(0, 2, "--") != 0) continue;
      const std::string name = w.substr(0, w.find('='));
      const std::vector<std::string> known = LongOptionNames(*command);
      const std::vector<std::string> global = LongOptionNames(app);
      if (std::find(known.begin(), known.end(), name) != known.end() ||
          std::find(global.begin(), global.end(), name) != global.end())
        continue;
      const std::string near = NearestName(name, known);
      if (!near.empty()) text += "tessarin: did you mean '" + near + "'?\n";
      break;
    }
    return text + "tessarin: see 'tessarin " + command->get_name() + " --help' for its options\n";
  }
  return text + "tessarin: see 'tessarin --help' for the commands and options\n";
}
