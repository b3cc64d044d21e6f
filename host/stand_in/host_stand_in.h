// Stand-in for the host language kernel: a callback table with real tensors,
// images and raw arrays (element types, ranks, dimensions, share counts,
// disown and free) and string hand-back. Everything is counted so that tests
// can prove exactly what the library created, freed and handed back.
// Single-threaded, process-wide, like the host's own state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bridge/korvel_library.h"

namespace korvel {

struct HostCounters {
    long liveTensors = 0;
    long liveImages = 0;
    long liveRawArrays = 0;
    long arraysFreed = 0;
    long disowns = 0;
    long invalidFrees = 0;       // free of an unknown or already freed array
    long liveStrings = 0;        // host strings not yet handed back
    long stringsHandedBack = 0;
    long invalidHandBacks = 0;   // hand-back of an unknown or already handed-back string

    long liveArrays() const { return liveTensors + liveImages + liveRawArrays; }
};

// The host's table. Valid for the life of the process.
KorvelLibraryData hostLibraryData();

HostCounters hostCounters();
void resetHostCounters();

// Makes the next n array creations (tensor, image or raw array) fail with a
// non-zero result.
void failNextArrayCreations(int n);

// Host-made arguments. The host owns them: release them with freeHostArray /
// the library hands strings back through UTF8String_disown.
char* newHostString(const std::string& text);
bool isLiveHostString(const char* s);  // made by newHostString and not yet handed back
MTensor newHostTensor(mint type, const std::vector<mint>& dims);
MImage newHostImage(mint slices, mint width, mint height, mint channels, mint pixelType, bool interleaved);
MRawArray newHostRawArray(mint type, const std::vector<mint>& dims);
void freeHostTensor(MTensor t);
void freeHostImage(MImage i);
void freeHostRawArray(MRawArray r);

// Inspection of arrays (the same calls the library makes through the table).
mint tensorShareCount(MTensor t);
void shareTensor(MTensor t);  // adds a host-side share
std::vector<mint> tensorDimensions(MTensor t);
mint tensorType(MTensor t);
const void* tensorData(MTensor t);
mint imageSlices(MImage i);
mint imageRows(MImage i);
mint imageColumns(MImage i);
mint imageChannels(MImage i);
mint imageRank(MImage i);
const unsigned char* imageData(MImage i);
std::vector<mint> rawArrayDimensions(MRawArray r);
const short* rawArrayData(MRawArray r);

}  // namespace korvel
