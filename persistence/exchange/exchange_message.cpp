#include "persistence/exchange/exchange_message.h"

#include <boost/format.hpp>

#include "module/resources/string_table.h"

std::string ComposeExchangeMessage(int entry, const std::string& path) {
  std::string pattern = GetStringUtf8(entry);
  // Without the string table there is no caption or body to show; the path still tells which
  // file failed, and the failure is never silent.
  if (pattern.empty()) return path;
  // The path is an argument, never part of the pattern, so a "%" in it is plain text. The
  // pattern is ours; should it ever not match one argument, Boost.Format must not throw.
  boost::format format;
  format.exceptions(boost::io::no_error_bits);
  format.parse(pattern);
  format % path;
  return format.str();
}
