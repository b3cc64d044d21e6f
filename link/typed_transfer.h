// One calling form per kind of link transfer, for every element type and
// string encoding of the link library, each get and put carrying the name of
// its link function (the debug text of a failure). Constant tables, ready
// before any entry point runs; read-only, so any thread may use them.
#pragma once

#include "link/sr64i4.h"

namespace TravexUtils {

// Numeric rows of one element type T: unsigned char (Integer8), short
// (Integer16), int (Integer32), long long (Integer64), float (Real32),
// double (Real64).
template <typename T>
struct NumericRows {
    int (*scalarGet)(SRLINK, T*);
    const char* scalarGetName;
    int (*scalarPut)(SRLINK, T);
    const char* scalarPutName;
    int (*listGet)(SRLINK, T**, int*);
    const char* listGetName;
    int (*listPut)(SRLINK, const T*, int);
    const char* listPutName;
    void (*listRelease)(SRLINK, T*, int);
    int (*arrayGet)(SRLINK, T**, int**, char***, int*);
    const char* arrayGetName;
    int (*arrayPut)(SRLINK, const T*, const int*, const char**, int);
    const char* arrayPutName;
    void (*arrayRelease)(SRLINK, T*, int*, char**, int);
};

template <typename T>
const NumericRows<T>& numericRows();

enum class StringEncoding { Native, Byte, UTF8, UTF16, UCS2, UTF32 };

// String rows of one encoding with character unit U. A length or character
// count of -1 from a get means "not given": read up to the terminating zero.
template <typename U>
struct StringRows {
    int (*get)(SRLINK, const U**, int* length, int* characters);
    const char* getName;
    int (*put)(SRLINK, const U*, int length);
    const char* putName;
    void (*release)(SRLINK, const U*, int length);
};

const StringRows<char>& nativeStringRows();
const StringRows<unsigned char>& byteStringRows();
const StringRows<unsigned char>& utf8StringRows();
const StringRows<unsigned short>& utf16StringRows();
const StringRows<unsigned short>& ucs2StringRows();
const StringRows<unsigned int>& utf32StringRows();

// The code SRGetByteString is told to deliver for a character with no
// one-byte form.
inline constexpr int byteStringMissingCode = 26;
// Strings of ASCII bytes only go out as byte strings (cheaper for the host).
inline constexpr bool asciiAsByteString = true;

}  // namespace TravexUtils
