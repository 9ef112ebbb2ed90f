#pragma once
// The exchange reader's failure texts: a string-table template with one "%s", filled with the
// path of the file, as UTF-8 (caption, "|", body).

#include <string>

std::string ComposeExchangeMessage(int entry, const std::string& path);
