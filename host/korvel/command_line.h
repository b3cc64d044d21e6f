// Parsing of korvel's command line and of session lines.
#pragma once

#include <string>
#include <vector>

#include "host/korvel/call_runner.h"

namespace korvel {

struct Invocation {
    std::string function;
    std::vector<std::string> arguments;
    CallOptions options;
};

// FUNCTION ARGS... with the options --out PATH and --checksum anywhere after
// the function name. Throws std::invalid_argument on a malformed line.
Invocation parseInvocation(const std::vector<std::string>& words);

// Splits a session line into words; double quotes group words and "" is an
// empty word; a backslash escapes the next character inside quotes.
std::vector<std::string> splitWords(const std::string& line);

std::string usageText();

}  // namespace korvel
