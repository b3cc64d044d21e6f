// The file extensions the audio writer accepts for its output path, in
// lower case. The container itself is chosen by the platform's sink writer
// from the extension; one that cannot carry AAC fails there.
#pragma once

#include <set>
#include <string>

namespace TravexUtils {

const std::set<std::string>& audioOutputExtensions();

// The text after the path's last "." (which may lie in a folder name),
// lower-cased, is one of the extensions above. No dot, or nothing after
// it: false.
bool isAudioOutputExtension(const std::string& path);

}  // namespace TravexUtils
