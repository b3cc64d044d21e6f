// The declaration checks against the real Windows headers; see
// platform/declaration_checks.h. Generates no code.
#include "platform/declaration_checks.h"

// Paths reach the platform as UTF-16 here: utf8ToWide produces surrogate
// pairs only when wchar_t has 16 bits.
static_assert(sizeof(wchar_t) == 2, "LPCWSTR is UTF-16 on Windows");
