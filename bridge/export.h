// Marks the library's exported entry points: C linkage and visible from the
// shared library under their plain names.
#pragma once

#ifdef _WIN32
#define MORVALE_EXPORT extern "C" __declspec(dllexport)
#else
#define MORVALE_EXPORT extern "C" __attribute__((visibility("default")))
#endif
