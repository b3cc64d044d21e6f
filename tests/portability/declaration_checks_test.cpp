// The Linux declarations against the list of exact types and values that the
// Windows build checks against the system headers. The checks are static
// assertions (values compared as 64-bit numbers, so a DWORD constant keeps
// its bits): a drifted declaration stops this file from compiling.
#include "platform/declaration_checks.h"
