#pragma once
// The plug-in's messages as a terminal shows them: one line, "caption: body", and for a file the
// program could not open, the system's reason after it.

#include <string>

// caption and body (lines broken by "\n\r" or "\n") as "caption: line line ...".
std::string OneLineMessage(const std::string& caption, const std::string& body);

// Why the file at path cannot be opened and read ("No such file or directory", "Is a
// directory", ...); empty when it can.
std::string OpenFailureReason(const std::string& path);
