#include "host/korvel/command_line.h"

#include <stdexcept>

#include "exports/export_manifest.h"

namespace korvel {

Invocation parseInvocation(const std::vector<std::string>& words) {
    if (words.empty()) throw std::invalid_argument("no function given");
    Invocation invocation;
    invocation.function = words[0];
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (words[i] == "--out") {
            if (i + 1 >= words.size()) throw std::invalid_argument("--out needs a path");
            invocation.options.out = words[++i];
        } else if (words[i] == "--checksum" || words[i] == "--no-write") {
            invocation.options.checksum = true;
        } else {
            invocation.arguments.push_back(words[i]);
        }
    }
    return invocation;
}

std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;  // the quote character of an open quoted part
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            } else if (quote == '"' && c == '\\' && i + 1 < line.size()) {
                word += line[++i];
            } else {
                word += c;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quote != 0) throw std::invalid_argument("unterminated quote");
    if (inWord) words.push_back(word);
    return words;
}

std::string usageText() {
    std::string text =
        "usage: korvel [--library PATH] --version\n"
        "       korvel [--library PATH] FUNCTION ARGS... [--out PATH] [--checksum]\n"
        "       korvel [--library PATH]            (one call per line from standard input)\n"
        "functions:\n";
    for (const MorvaleExports::ExportEntry& entry : MorvaleExports::kExports) {
        if (findCallable(std::string(entry.name)) != nullptr) text += "  " + std::string(entry.name) + "\n";
    }
    return text;
}

}  // namespace korvel
