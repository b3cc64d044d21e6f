// physicalMemoryBytes; see physical_memory.h.
#include "platform/physical_memory.h"

#ifdef _WIN32
#include "platform/windows_base.h"
#else
#include <unistd.h>
#endif

namespace MorvalePlatform {

uint64_t physicalMemoryBytes() {
#ifdef _WIN32
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    return GlobalMemoryStatusEx(&status) ? uint64_t{status.ullTotalPhys} : 0;
#else
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? uint64_t(pages) * uint64_t(pageSize) : 0;
#endif
}

}  // namespace MorvalePlatform
