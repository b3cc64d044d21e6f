#include "host/stand_in/host_stand_in.h"

#include "host/stand_in/array_storage.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <set>

namespace korvel {
namespace {

std::size_t elementSize(mint type) {
    switch (type) {
        case MType_Integer: return sizeof(mint);
        case MType_Real: return sizeof(mreal);
        default: return 8;
    }
}

// One host array. Storage is zero-filled and aligned for any element type.
struct HostArray {
    mint type = 0;
    std::vector<mint> dims;
    ArrayStorage storage;
    mint shareCount = 0;
    mint flattened = 0;

    void allocate(std::size_t bytes) { storage = ArrayStorage(bytes); }
    void* data() { return storage.data(); }
};

struct HostImage : HostArray {
    mint slices = 0, rows = 0, columns = 0, channels = 0, colorSpace = 0;
    bool interleaved = true;
};

struct HostState {
    HostCounters counters;
    int failCreations = 0;
    std::set<const void*> tensors, images, rawArrays, strings;
};

HostState& state() {
    static HostState s;
    return s;
}

bool creationFails() {
    if (state().failCreations > 0) {
        --state().failCreations;
        return true;
    }
    return false;
}

HostArray* asArray(MTensor t) { return reinterpret_cast<HostArray*>(t); }
HostArray* asArray(MRawArray r) { return reinterpret_cast<HostArray*>(r); }
HostImage* asImage(MImage i) { return reinterpret_cast<HostImage*>(i); }

mint product(const std::vector<mint>& dims) {
    mint n = 1;
    for (mint d : dims) n *= d;
    return n;
}

// --- strings -------------------------------------------------------------
void UTF8String_disown(char* s) {
    HostState& st = state();
    if (st.strings.erase(s) == 0) {
        ++st.counters.invalidHandBacks;
        return;
    }
    delete[] s;
    --st.counters.liveStrings;
    ++st.counters.stringsHandedBack;
}

// --- tensors -------------------------------------------------------------
int MTensor_new(mint type, mint rank, const mint* dims, MTensor* out) {
    if (creationFails() || (type != MType_Integer && type != MType_Real) || rank < 0) return 1;
    auto* t = new HostArray;
    t->type = type;
    t->dims.assign(dims, dims + rank);
    t->flattened = product(t->dims);
    t->allocate(static_cast<std::size_t>(t->flattened) * elementSize(type));
    state().tensors.insert(t);
    ++state().counters.liveTensors;
    *out = reinterpret_cast<MTensor>(t);
    return 0;
}
void MTensor_free(MTensor t) {
    if (state().tensors.erase(t) == 0) {
        ++state().counters.invalidFrees;
        return;
    }
    delete asArray(t);
    --state().counters.liveTensors;
    ++state().counters.arraysFreed;
}
mint MTensor_shareCount(MTensor t) { return asArray(t)->shareCount; }
void MTensor_disown(MTensor t) {
    ++state().counters.disowns;
    if (asArray(t)->shareCount > 0) --asArray(t)->shareCount;
}
mint MTensor_getRank(MTensor t) { return static_cast<mint>(asArray(t)->dims.size()); }
const mint* MTensor_getDimensions(MTensor t) { return asArray(t)->dims.data(); }
mint MTensor_getType(MTensor t) { return asArray(t)->type; }
mint MTensor_getFlattenedLength(MTensor t) { return asArray(t)->flattened; }
mint* MTensor_getIntegerData(MTensor t) {
    return asArray(t)->type == MType_Integer ? static_cast<mint*>(asArray(t)->data()) : nullptr;
}
mreal* MTensor_getRealData(MTensor t) {
    return asArray(t)->type == MType_Real ? static_cast<mreal*>(asArray(t)->data()) : nullptr;
}

// --- images --------------------------------------------------------------
int newImage(mint slices, mint width, mint height, mint channels, mint pixelType, mint colorSpace, mbool interleaved,
             MImage* out) {
    if (creationFails() || width < 0 || height < 0 || channels < 1 || pixelType < 1) return 1;
    auto* i = new HostImage;
    i->type = pixelType;
    i->slices = slices;
    i->rows = height;
    i->columns = width;
    i->channels = channels;
    i->colorSpace = colorSpace;
    i->interleaved = interleaved != 0;
    i->flattened = (slices > 0 ? slices : 1) * height * width * channels;
    i->allocate(static_cast<std::size_t>(i->flattened) * (pixelType == MImage_Type_Bit8 ? 1 : 4));
    state().images.insert(i);
    ++state().counters.liveImages;
    *out = reinterpret_cast<MImage>(i);
    return 0;
}
int MImage_new2D(mint width, mint height, mint channels, mint pixelType, mint colorSpace, mbool interleaved,
                 MImage* out) {
    return newImage(0, width, height, channels, pixelType, colorSpace, interleaved, out);
}
int MImage_new3D(mint slices, mint width, mint height, mint channels, mint pixelType, mint colorSpace,
                 mbool interleaved, MImage* out) {
    if (slices < 1) return 1;
    return newImage(slices, width, height, channels, pixelType, colorSpace, interleaved, out);
}
void MImage_free(MImage i) {
    if (state().images.erase(i) == 0) {
        ++state().counters.invalidFrees;
        return;
    }
    delete asImage(i);
    --state().counters.liveImages;
    ++state().counters.arraysFreed;
}
void MImage_disown(MImage i) {
    ++state().counters.disowns;
    if (asImage(i)->shareCount > 0) --asImage(i)->shareCount;
}
mint MImage_shareCount(MImage i) { return asImage(i)->shareCount; }
mint MImage_getDataType(MImage i) { return asImage(i)->type; }
mint MImage_getRowCount(MImage i) { return asImage(i)->rows; }
mint MImage_getColumnCount(MImage i) { return asImage(i)->columns; }
mint MImage_getSliceCount(MImage i) { return asImage(i)->slices; }
mint MImage_getRank(MImage i) { return asImage(i)->slices > 0 ? 3 : 2; }
mint MImage_getChannels(MImage i) { return asImage(i)->channels; }
mbool MImage_interleavedQ(MImage i) { return asImage(i)->interleaved ? 1 : 0; }
mint MImage_getColorSpace(MImage i) { return asImage(i)->colorSpace; }
mint MImage_getFlattenedLength(MImage i) { return asImage(i)->flattened; }
void* MImage_getRawData(MImage i) { return asImage(i)->data(); }

// --- raw arrays ----------------------------------------------------------
int MRawArray_new(mint type, mint rank, const mint* dims, MRawArray* out) {
    if (creationFails() || type != MRawArray_Type_Bit16 || rank < 0) return 1;
    auto* r = new HostArray;
    r->type = type;
    r->dims.assign(dims, dims + rank);
    r->flattened = product(r->dims);
    r->allocate(static_cast<std::size_t>(r->flattened) * sizeof(short));
    state().rawArrays.insert(r);
    ++state().counters.liveRawArrays;
    *out = reinterpret_cast<MRawArray>(r);
    return 0;
}
void MRawArray_free(MRawArray r) {
    if (state().rawArrays.erase(r) == 0) {
        ++state().counters.invalidFrees;
        return;
    }
    delete asArray(r);
    --state().counters.liveRawArrays;
    ++state().counters.arraysFreed;
}
void MRawArray_disown(MRawArray r) {
    ++state().counters.disowns;
    if (asArray(r)->shareCount > 0) --asArray(r)->shareCount;
}
mint MRawArray_shareCount(MRawArray r) { return asArray(r)->shareCount; }
mint MRawArray_getType(MRawArray r) { return asArray(r)->type; }
mint MRawArray_getRank(MRawArray r) { return static_cast<mint>(asArray(r)->dims.size()); }
const mint* MRawArray_getDimensions(MRawArray r) { return asArray(r)->dims.data(); }
mint MRawArray_getFlattenedLength(MRawArray r) { return asArray(r)->flattened; }
void* MRawArray_getData(MRawArray r) { return asArray(r)->data(); }

st_KorvelImageFunctions makeImageTable() {
    st_KorvelImageFunctions t{};
    t.MImage_new2D = MImage_new2D;
    t.MImage_new3D = MImage_new3D;
    t.MImage_free = MImage_free;
    t.MImage_disown = MImage_disown;
    t.MImage_shareCount = MImage_shareCount;
    t.MImage_getDataType = MImage_getDataType;
    t.MImage_getRowCount = MImage_getRowCount;
    t.MImage_getColumnCount = MImage_getColumnCount;
    t.MImage_getSliceCount = MImage_getSliceCount;
    t.MImage_getRank = MImage_getRank;
    t.MImage_getChannels = MImage_getChannels;
    t.MImage_interleavedQ = MImage_interleavedQ;
    t.MImage_getColorSpace = MImage_getColorSpace;
    t.MImage_getFlattenedLength = MImage_getFlattenedLength;
    t.MImage_getRawData = MImage_getRawData;
    return t;
}

st_KorvelRawArrayFunctions makeRawArrayTable() {
    st_KorvelRawArrayFunctions t{};
    t.MRawArray_new = MRawArray_new;
    t.MRawArray_free = MRawArray_free;
    t.MRawArray_disown = MRawArray_disown;
    t.MRawArray_shareCount = MRawArray_shareCount;
    t.MRawArray_getType = MRawArray_getType;
    t.MRawArray_getRank = MRawArray_getRank;
    t.MRawArray_getDimensions = MRawArray_getDimensions;
    t.MRawArray_getFlattenedLength = MRawArray_getFlattenedLength;
    t.MRawArray_getData = MRawArray_getData;
    return t;
}

// The I/O sub-table is cached by the library but never called.
struct IoFunctions {
    void* unused[4];
} ioTable{};

}  // namespace

KorvelLibraryData hostLibraryData() {
    static st_KorvelImageFunctions images = makeImageTable();
    static st_KorvelRawArrayFunctions rawArrays = makeRawArrayTable();
    static st_KorvelLibraryData table = [] {
        st_KorvelLibraryData t{};
        t.UTF8String_disown = UTF8String_disown;
        t.MTensor_new = MTensor_new;
        t.MTensor_free = MTensor_free;
        t.MTensor_shareCount = MTensor_shareCount;
        t.MTensor_disown = MTensor_disown;
        t.MTensor_getRank = MTensor_getRank;
        t.MTensor_getDimensions = MTensor_getDimensions;
        t.MTensor_getType = MTensor_getType;
        t.MTensor_getFlattenedLength = MTensor_getFlattenedLength;
        t.MTensor_getIntegerData = MTensor_getIntegerData;
        t.MTensor_getRealData = MTensor_getRealData;
        t.ioLibraryFunctions = &ioTable;
        t.imageLibraryFunctions = &images;
        t.rawarrayLibraryFunctions = &rawArrays;
        return t;
    }();
    return &table;
}

HostCounters hostCounters() { return state().counters; }

void resetHostCounters() {
    HostCounters fresh;
    fresh.liveTensors = static_cast<long>(state().tensors.size());
    fresh.liveImages = static_cast<long>(state().images.size());
    fresh.liveRawArrays = static_cast<long>(state().rawArrays.size());
    fresh.liveStrings = static_cast<long>(state().strings.size());
    state().counters = fresh;
}

void failNextArrayCreations(int n) { state().failCreations = n; }

char* newHostString(const std::string& text) {
    char* s = new char[text.size() + 1];
    std::memcpy(s, text.c_str(), text.size() + 1);
    state().strings.insert(s);
    ++state().counters.liveStrings;
    return s;
}

bool isLiveHostString(const char* s) { return state().strings.count(s) != 0; }

MTensor newHostTensor(mint type, const std::vector<mint>& dims) {
    MTensor t = nullptr;
    if (MTensor_new(type, static_cast<mint>(dims.size()), dims.data(), &t) != 0) throw std::bad_alloc();
    return t;
}

MImage newHostImage(mint slices, mint width, mint height, mint channels, mint pixelType, bool interleaved) {
    MImage i = nullptr;
    if (newImage(slices, width, height, channels, pixelType, MImage_CS_RGB, interleaved ? 1 : 0, &i) != 0) {
        throw std::bad_alloc();
    }
    return i;
}

MRawArray newHostRawArray(mint type, const std::vector<mint>& dims) {
    MRawArray r = nullptr;
    if (MRawArray_new(type, static_cast<mint>(dims.size()), dims.data(), &r) != 0) throw std::bad_alloc();
    return r;
}

void freeHostTensor(MTensor t) { MTensor_free(t); }
void freeHostImage(MImage i) { MImage_free(i); }
void freeHostRawArray(MRawArray r) { MRawArray_free(r); }

mint tensorShareCount(MTensor t) { return MTensor_shareCount(t); }
void shareTensor(MTensor t) { ++asArray(t)->shareCount; }
std::vector<mint> tensorDimensions(MTensor t) { return asArray(t)->dims; }
mint tensorType(MTensor t) { return asArray(t)->type; }
const void* tensorData(MTensor t) { return asArray(t)->data(); }
mint imageSlices(MImage i) { return asImage(i)->slices; }
mint imageRows(MImage i) { return asImage(i)->rows; }
mint imageColumns(MImage i) { return asImage(i)->columns; }
mint imageChannels(MImage i) { return asImage(i)->channels; }
mint imageRank(MImage i) { return MImage_getRank(i); }
const unsigned char* imageData(MImage i) { return static_cast<const unsigned char*>(asImage(i)->data()); }
std::vector<mint> rawArrayDimensions(MRawArray r) { return asArray(r)->dims; }
const short* rawArrayData(MRawArray r) { return static_cast<const short*>(asArray(r)->data()); }

}  // namespace korvel
