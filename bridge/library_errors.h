// The library's own error tables, registered at initialisation behind the
// built-in table: reader/writer front-end errors, Media Foundation errors and
// DirectShow errors, each in row order. Names and messages are fixed: the host
// learns them through the registered-error table.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace TravexUtils {

using ErrorTable = std::vector<std::pair<std::string, std::string>>;

const ErrorTable& libraryErrors();
const ErrorTable& mediaFoundationErrors();
const ErrorTable& directShowErrors();

// Registers the three tables in order: own, Media Foundation, DirectShow.
void registerLibraryErrorTables();

}  // namespace TravexUtils
