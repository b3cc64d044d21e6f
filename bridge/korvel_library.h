// The host's interface as the library sees it: scalar types, array handles,
// the argument slot and the callback table the host passes to every entry
// point. Only the fields the library calls are named; the others are kept as
// reserved pointer-sized slots so that every named field sits at the position
// the host puts it.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

typedef long long mint;  // 64-bit on every platform the host runs on
typedef double mreal;
typedef int32_t mbool;

typedef struct st_MTensor* MTensor;
typedef struct st_MImage* MImage;
typedef struct st_MRawArray* MRawArray;

// Element types of host tensors and raw arrays, and image pixel types, as
// far as the library uses them.
enum : mint { MType_Integer = 2, MType_Real = 3 };
enum : mint { MRawArray_Type_Bit16 = 3 };
enum : mint { MImage_Type_Bit8 = 1 };
enum : mint { MImage_CS_RGB = 1 };

// One argument or result slot. The host owns the storage each member points
// at; which member is valid is fixed by the function's contract with the host.
typedef union {
    mbool* boolean;
    mint* integer;
    mreal* real;
    MTensor* tensor;
    MImage* image;
    MRawArray* rawarray;
    char** utf8string;
} MArgument;

typedef struct st_KorvelImageFunctions {
    int (*MImage_new2D)(mint width, mint height, mint channels, mint pixelType, mint colorSpace, mbool interleaved,
                        MImage* out);                                                        // 0
    int (*MImage_new3D)(mint slices, mint width, mint height, mint channels, mint pixelType, mint colorSpace,
                        mbool interleaved, MImage* out);                                     // 1
    void* reserved2;                                                                         // 2
    void (*MImage_free)(MImage);                                                             // 3
    void (*MImage_disown)(MImage);                                                           // 4
    void* reserved5;                                                                         // 5
    mint (*MImage_shareCount)(MImage);                                                       // 6
    mint (*MImage_getDataType)(MImage);                                                      // 7
    mint (*MImage_getRowCount)(MImage);                                                      // 8
    mint (*MImage_getColumnCount)(MImage);                                                   // 9
    mint (*MImage_getSliceCount)(MImage);                                                    // 10
    mint (*MImage_getRank)(MImage);                                                          // 11
    mint (*MImage_getChannels)(MImage);                                                      // 12
    void* reserved13;                                                                        // 13
    mbool (*MImage_interleavedQ)(MImage);                                                    // 14
    mint (*MImage_getColorSpace)(MImage);                                                    // 15
    mint (*MImage_getFlattenedLength)(MImage);                                               // 16
    void* reserved17_26[10];                                                                 // 17..26
    void* (*MImage_getRawData)(MImage);                                                      // 27
} *KorvelImageFunctions;

typedef struct st_KorvelRawArrayFunctions {
    int (*MRawArray_new)(mint type, mint rank, const mint* dims, MRawArray* out);            // 0
    void (*MRawArray_free)(MRawArray);                                                       // 1
    void* reserved2;                                                                         // 2
    void (*MRawArray_disown)(MRawArray);                                                     // 3
    void* reserved4;                                                                         // 4
    mint (*MRawArray_shareCount)(MRawArray);                                                 // 5
    mint (*MRawArray_getType)(MRawArray);                                                    // 6
    mint (*MRawArray_getRank)(MRawArray);                                                    // 7
    const mint* (*MRawArray_getDimensions)(MRawArray);                                       // 8
    mint (*MRawArray_getFlattenedLength)(MRawArray);                                         // 9
    void* (*MRawArray_getData)(MRawArray);                                                   // 10
} *KorvelRawArrayFunctions;

// The first 49 pointer-sized fields of the host's table (interface version 5).
typedef struct st_KorvelLibraryData {
    void (*UTF8String_disown)(char*);                                                        // 0
    int (*MTensor_new)(mint type, mint rank, const mint* dims, MTensor* out);                // 1
    void (*MTensor_free)(MTensor);                                                           // 2
    void* reserved3;                                                                         // 3
    mint (*MTensor_shareCount)(MTensor);                                                     // 4
    void (*MTensor_disown)(MTensor);                                                         // 5
    void* reserved6_14[9];                                                                   // 6..14
    mint (*MTensor_getRank)(MTensor);                                                        // 15
    const mint* (*MTensor_getDimensions)(MTensor);                                           // 16
    mint (*MTensor_getType)(MTensor);                                                        // 17
    mint (*MTensor_getFlattenedLength)(MTensor);                                             // 18
    mint* (*MTensor_getIntegerData)(MTensor);                                                // 19
    mreal* (*MTensor_getRealData)(MTensor);                                                  // 20
    void* reserved21_33[13];                                                                 // 21..33
    void* ioLibraryFunctions;                                                                // 34
    void* reserved35_36[2];                                                                  // 35..36
    KorvelImageFunctions imageLibraryFunctions;                                              // 37
    void* reserved38_46[9];                                                                  // 38..46
    KorvelRawArrayFunctions rawarrayLibraryFunctions;                                        // 47
    void* reserved48;                                                                        // 48
} *KorvelLibraryData;

}  // extern "C"

static_assert(sizeof(st_KorvelLibraryData) == 49 * sizeof(void*), "host table holds 49 pointer-sized fields");
static_assert(offsetof(st_KorvelLibraryData, MTensor_getRank) == 15 * sizeof(void*));
static_assert(offsetof(st_KorvelLibraryData, ioLibraryFunctions) == 34 * sizeof(void*));
static_assert(offsetof(st_KorvelLibraryData, imageLibraryFunctions) == 37 * sizeof(void*));
static_assert(offsetof(st_KorvelLibraryData, rawarrayLibraryFunctions) == 47 * sizeof(void*));
static_assert(offsetof(st_KorvelImageFunctions, MImage_interleavedQ) == 14 * sizeof(void*));
static_assert(offsetof(st_KorvelImageFunctions, MImage_getRawData) == 27 * sizeof(void*));
static_assert(offsetof(st_KorvelRawArrayFunctions, MRawArray_getData) == 10 * sizeof(void*));
