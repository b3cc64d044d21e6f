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

// Splits a session line into words as a shell would for simple cases: single
// or double quotes group characters ('' and "" are empty words); inside
// double quotes a backslash escapes the next character.
std::vector<std::string> splitWords(const std::string& line);

std::string usageText();

}  // namespace korvel
