// Prints the name of every export in the library's manifest, one a line, in
// manifest order. scripts/build-windows compiles it for the build machine and
// compares its output with the export table of the cross-built DLL.
#include <cstdio>

#include "exports/export_manifest.h"

int main() {
    for (const MorvaleExports::ExportEntry& entry : MorvaleExports::kExports) {
        std::printf("%.*s\n", static_cast<int>(entry.name.size()), entry.name.data());
    }
    return 0;
}
