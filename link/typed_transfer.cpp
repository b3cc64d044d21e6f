#include "link/typed_transfer.h"

namespace TravexUtils {
namespace {

// Puts a UTF-8 string, as a byte string when it holds only ASCII bytes.
int putUtf8(SRLINK link, const unsigned char* bytes, int length) {
    if (asciiAsByteString) {
        for (int i = 0; i < length; ++i) {
            if (bytes[i] > 127) {
                return SRPutUTF8String(link, bytes, length);
            }
        }
        return SRPutByteString(link, bytes, length);
    }
    return SRPutUTF8String(link, bytes, length);
}

}  // namespace

template <>
const NumericRows<unsigned char>& numericRows<unsigned char>() {
    static const NumericRows<unsigned char> rows{
        SRGetInteger8,       "SRGetInteger8",     SRPutInteger8,      "SRPutInteger8",
        SRGetInteger8List,   "SRGetInteger8List", SRPutInteger8List,  "SRPutInteger8List",
        SRReleaseInteger8List, SRGetInteger8Array, "SRGetInteger8Array", SRPutInteger8Array,
        "SRPutInteger8Array", SRReleaseInteger8Array};
    return rows;
}

template <>
const NumericRows<short>& numericRows<short>() {
    // The scalar put widens the value, keeping its sign, for SRPutInteger16.
    static const NumericRows<short> rows{
        SRGetInteger16,
        "SRGetInteger16",
        [](SRLINK link, short value) { return SRPutInteger16(link, static_cast<int>(value)); },
        "SRPutInteger16",
        SRGetInteger16List,
        "SRGetInteger16List",
        SRPutInteger16List,
        "SRPutInteger16List",
        SRReleaseInteger16List,
        SRGetInteger16Array,
        "SRGetInteger16Array",
        SRPutInteger16Array,
        "SRPutInteger16Array",
        SRReleaseInteger16Array};
    return rows;
}

template <>
const NumericRows<int>& numericRows<int>() {
    static const NumericRows<int> rows{
        SRGetInteger32,       "SRGetInteger32",     SRPutInteger32,      "SRPutInteger32",
        SRGetInteger32List,   "SRGetInteger32List", SRPutInteger32List,  "SRPutInteger32List",
        SRReleaseInteger32List, SRGetInteger32Array, "SRGetInteger32Array", SRPutInteger32Array,
        "SRPutInteger32Array", SRReleaseInteger32Array};
    return rows;
}

template <>
const NumericRows<long long>& numericRows<long long>() {
    static const NumericRows<long long> rows{
        SRGetInteger64,       "SRGetInteger64",     SRPutInteger64,      "SRPutInteger64",
        SRGetInteger64List,   "SRGetInteger64List", SRPutInteger64List,  "SRPutInteger64List",
        SRReleaseInteger64List, SRGetInteger64Array, "SRGetInteger64Array", SRPutInteger64Array,
        "SRPutInteger64Array", SRReleaseInteger64Array};
    return rows;
}

template <>
const NumericRows<float>& numericRows<float>() {
    // The scalar put converts the value to a 64-bit float for SRPutReal32.
    static const NumericRows<float> rows{
        SRGetReal32,
        "SRGetReal32",
        [](SRLINK link, float value) { return SRPutReal32(link, static_cast<double>(value)); },
        "SRPutReal32",
        SRGetReal32List,
        "SRGetReal32List",
        SRPutReal32List,
        "SRPutReal32List",
        SRReleaseReal32List,
        SRGetReal32Array,
        "SRGetReal32Array",
        SRPutReal32Array,
        "SRPutReal32Array",
        SRReleaseReal32Array};
    return rows;
}

template <>
const NumericRows<double>& numericRows<double>() {
    static const NumericRows<double> rows{
        SRGetReal64,       "SRGetReal64",     SRPutReal64,      "SRPutReal64",
        SRGetReal64List,   "SRGetReal64List", SRPutReal64List,  "SRPutReal64List",
        SRReleaseReal64List, SRGetReal64Array, "SRGetReal64Array", SRPutReal64Array,
        "SRPutReal64Array", SRReleaseReal64Array};
    return rows;
}

const StringRows<char>& nativeStringRows() {
    static const StringRows<char> rows{
        [](SRLINK link, const char** text, int* length, int* characters) {
            *length = -1;
            *characters = -1;
            return SRGetString(link, text);
        },
        "SRGetString",
        [](SRLINK link, const char* text, int) { return SRPutString(link, text); },
        "SRPutString",
        [](SRLINK link, const char* text, int) { SRReleaseString(link, text); }};
    return rows;
}

const StringRows<unsigned char>& byteStringRows() {
    static const StringRows<unsigned char> rows{
        [](SRLINK link, const unsigned char** bytes, int* length, int* characters) {
            *characters = -1;
            return SRGetByteString(link, bytes, length, byteStringMissingCode);
        },
        "SRGetByteString", SRPutByteString, "SRPutByteString", SRReleaseByteString};
    return rows;
}

const StringRows<unsigned char>& utf8StringRows() {
    static const StringRows<unsigned char> rows{SRGetUTF8String, "SRGetUTF8String", putUtf8,
                                                    "SRPut(UTF8/Byte)String", SRReleaseUTF8String};
    return rows;
}

const StringRows<unsigned short>& utf16StringRows() {
    static const StringRows<unsigned short> rows{SRGetUTF16String, "SRGetUTF16String", SRPutUTF16String,
                                                     "SRPutUTF16String", SRReleaseUTF16String};
    return rows;
}

const StringRows<unsigned short>& ucs2StringRows() {
    static const StringRows<unsigned short> rows{
        [](SRLINK link, const unsigned short** units, int* length, int* characters) {
            *characters = -1;
            return SRGetUCS2String(link, units, length);
        },
        "SRGetUCS2String", SRPutUCS2String, "SRPutUCS2String", SRReleaseUCS2String};
    return rows;
}

const StringRows<unsigned int>& utf32StringRows() {
    static const StringRows<unsigned int> rows{
        [](SRLINK link, const unsigned int** units, int* length, int* characters) {
            *characters = -1;
            return SRGetUTF32String(link, units, length);
        },
        "SRGetUTF32String", SRPutUTF32String, "SRPutUTF32String", SRReleaseUTF32String};
    return rows;
}

}  // namespace TravexUtils
