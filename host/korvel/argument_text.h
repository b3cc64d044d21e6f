// korvel's command-line text turned into host arguments, by the argument
// kinds the export's manifest row lists.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "exports/export_manifest.h"
#include "host/korvel/loaded_library.h"
#include "host/stand_in/host_arguments.h"

namespace korvel {

// Throws std::invalid_argument unless there is one text per kind.
void checkArgumentCount(std::span<const ArgumentKind> kinds, const std::vector<std::string>& texts);

// Adds one slot per text: strings as given, integers in decimal, lists as
// "3,1,3" ("" is the empty list), images from PNG files, folders of PNG
// frames or (decoded by the library, when given) video files, raw arrays
// from audio files the library decodes (ReadAudioData; refused without a
// library). Throws std::invalid_argument on text that does not fit its kind.
void addArgumentsFromText(HostArguments& arguments, std::span<const ArgumentKind> kinds,
                          const std::vector<std::string>& texts, const LoadedLibrary* library = nullptr);

long long parseInteger(const std::string& text);
// Parses "3,1,3" into numbers; "" is the empty list.
std::vector<long long> parseIntegerList(const std::string& text);
std::vector<double> parseRealList(const std::string& text);

}  // namespace korvel
