// The link library SR64I4 as the library uses it: opaque link and
// environment handles and the C functions that move expressions over a link.
//
// The host ships the real library; the library imports these functions by
// name. Every function returning int reports a status: 0 is failure, any other
// value is success. After a failure the link's error code and message tell
// what went wrong until SRClearError (or the next failure) replaces them.
//
// Ownership: pointers handed out by a get function (strings, symbols, lists,
// arrays) belong to the link library and stay valid until they are passed to
// the matching release function on the same link. The string from
// SRErrorMessage is released with SRReleaseErrorMessage. Loopback links are
// closed with SRClose by whoever opened them; the host link is the host's and
// is never closed by the library.
//
// Threading: a link is used by one thread at a time.
#pragma once

#if defined(_WIN32)
#if defined(SR64I4_BUILDING)
#define SR_API __declspec(dllexport)
#else
#define SR_API __declspec(dllimport)
#endif
#else
#define SR_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SRLinkRecord* SRLINK;
typedef struct SREnvRecord* SRENV;

/* Heads. A head with count n is followed on the link by its n arguments. */
SR_API int SRPutFunction(SRLINK link, const char* head, int count);
/* Non-zero when the next expression has this head; *count receives its
   argument count and the head is consumed, so its arguments are read next. */
SR_API int SRTestHead(SRLINK link, const char* head, int* count);
/* Reads the next head whatever its name; *head stays valid until released. */
SR_API int SRGetFunction(SRLINK link, const char** head, int* count);
SR_API void SRReleaseSymbol(SRLINK link, const char* head);

/* Scalars. Integer8 is unsigned 8-bit; Integer16 is put widened to int and
   Real32 widened to double. */
SR_API int SRPutInteger8(SRLINK link, unsigned char value);
SR_API int SRPutInteger16(SRLINK link, int value);
SR_API int SRPutInteger32(SRLINK link, int value);
SR_API int SRPutInteger64(SRLINK link, long long value);
SR_API int SRPutReal32(SRLINK link, double value);
SR_API int SRPutReal64(SRLINK link, double value);
SR_API int SRGetInteger8(SRLINK link, unsigned char* value);
SR_API int SRGetInteger16(SRLINK link, short* value);
SR_API int SRGetInteger32(SRLINK link, int* value);
SR_API int SRGetInteger64(SRLINK link, long long* value);
SR_API int SRGetReal32(SRLINK link, float* value);
SR_API int SRGetReal64(SRLINK link, double* value);

/* Lists: a "List" head whose arguments are numbers of one type. */
SR_API int SRPutInteger8List(SRLINK link, const unsigned char* data, int length);
SR_API int SRPutInteger16List(SRLINK link, const short* data, int length);
SR_API int SRPutInteger32List(SRLINK link, const int* data, int length);
SR_API int SRPutInteger64List(SRLINK link, const long long* data, int length);
SR_API int SRPutReal32List(SRLINK link, const float* data, int length);
SR_API int SRPutReal64List(SRLINK link, const double* data, int length);
SR_API int SRGetInteger8List(SRLINK link, unsigned char** data, int* length);
SR_API int SRGetInteger16List(SRLINK link, short** data, int* length);
SR_API int SRGetInteger32List(SRLINK link, int** data, int* length);
SR_API int SRGetInteger64List(SRLINK link, long long** data, int* length);
SR_API int SRGetReal32List(SRLINK link, float** data, int* length);
SR_API int SRGetReal64List(SRLINK link, double** data, int* length);
SR_API void SRReleaseInteger8List(SRLINK link, unsigned char* data, int length);
SR_API void SRReleaseInteger16List(SRLINK link, short* data, int length);
SR_API void SRReleaseInteger32List(SRLINK link, int* data, int length);
SR_API void SRReleaseInteger64List(SRLINK link, long long* data, int length);
SR_API void SRReleaseReal32List(SRLINK link, float* data, int length);
SR_API void SRReleaseReal64List(SRLINK link, double* data, int length);

/* Arrays: depth levels of nested heads (NULL heads, or a NULL entry, mean
   "List"), dims[i] arguments at level i, data in row-major order. */
SR_API int SRPutInteger8Array(SRLINK link, const unsigned char* data, const int* dims, const char** heads,
                              int depth);
SR_API int SRPutInteger16Array(SRLINK link, const short* data, const int* dims, const char** heads, int depth);
SR_API int SRPutInteger32Array(SRLINK link, const int* data, const int* dims, const char** heads, int depth);
SR_API int SRPutInteger64Array(SRLINK link, const long long* data, const int* dims, const char** heads,
                               int depth);
SR_API int SRPutReal32Array(SRLINK link, const float* data, const int* dims, const char** heads, int depth);
SR_API int SRPutReal64Array(SRLINK link, const double* data, const int* dims, const char** heads, int depth);
SR_API int SRGetInteger8Array(SRLINK link, unsigned char** data, int** dims, char*** heads, int* depth);
SR_API int SRGetInteger16Array(SRLINK link, short** data, int** dims, char*** heads, int* depth);
SR_API int SRGetInteger32Array(SRLINK link, int** data, int** dims, char*** heads, int* depth);
SR_API int SRGetInteger64Array(SRLINK link, long long** data, int** dims, char*** heads, int* depth);
SR_API int SRGetReal32Array(SRLINK link, float** data, int** dims, char*** heads, int* depth);
SR_API int SRGetReal64Array(SRLINK link, double** data, int** dims, char*** heads, int* depth);
SR_API void SRReleaseInteger8Array(SRLINK link, unsigned char* data, int* dims, char** heads, int depth);
SR_API void SRReleaseInteger16Array(SRLINK link, short* data, int* dims, char** heads, int depth);
SR_API void SRReleaseInteger32Array(SRLINK link, int* data, int* dims, char** heads, int depth);
SR_API void SRReleaseInteger64Array(SRLINK link, long long* data, int* dims, char** heads, int depth);
SR_API void SRReleaseReal32Array(SRLINK link, float* data, int* dims, char** heads, int depth);
SR_API void SRReleaseReal64Array(SRLINK link, double* data, int* dims, char** heads, int depth);

/* Strings. Lengths count code units; a length or character count of -1 from
   a get means "not given": read up to the terminating zero. */
SR_API int SRPutString(SRLINK link, const char* text);
SR_API int SRGetString(SRLINK link, const char** text);
SR_API void SRReleaseString(SRLINK link, const char* text);

SR_API int SRPutByteString(SRLINK link, const unsigned char* bytes, int length);
/* Characters without a one-byte form are delivered as the byte missing. */
SR_API int SRGetByteString(SRLINK link, const unsigned char** bytes, int* length, int missing);
SR_API void SRReleaseByteString(SRLINK link, const unsigned char* bytes, int length);

SR_API int SRPutUTF8String(SRLINK link, const unsigned char* bytes, int length);
SR_API int SRGetUTF8String(SRLINK link, const unsigned char** bytes, int* byteCount, int* charCount);
SR_API void SRReleaseUTF8String(SRLINK link, const unsigned char* bytes, int byteCount);

SR_API int SRPutUTF16String(SRLINK link, const unsigned short* units, int length);
SR_API int SRGetUTF16String(SRLINK link, const unsigned short** units, int* length, int* charCount);
SR_API void SRReleaseUTF16String(SRLINK link, const unsigned short* units, int length);

SR_API int SRPutUCS2String(SRLINK link, const unsigned short* units, int length);
SR_API int SRGetUCS2String(SRLINK link, const unsigned short** units, int* length);
SR_API void SRReleaseUCS2String(SRLINK link, const unsigned short* units, int length);

SR_API int SRPutUTF32String(SRLINK link, const unsigned int* units, int length);
SR_API int SRGetUTF32String(SRLINK link, const unsigned int** units, int* length);
SR_API void SRReleaseUTF32String(SRLINK link, const unsigned int* units, int length);

/* Packets frame a reply; SRFlush sends what has been written. */
SR_API int SRNewPacket(SRLINK link);
SR_API int SREndPacket(SRLINK link);
SR_API int SRFlush(SRLINK link);

/* Loopback links: what is put on them is read back from them. */
SR_API SRENV SRLinkEnvironment(SRLINK link);
/* A usable link when the result is not NULL and *code is 0. */
SR_API SRLINK SRLoopbackOpen(SRENV env, int* code);
/* Moves the next whole expression of source onto destination; 0 when source
   holds none. */
SR_API int SRTransferExpression(SRLINK destination, SRLINK source);
/* Moves every expression of the loopback link source onto destination. */
SR_API int SRTransferToEndOfLoopbackLink(SRLINK destination, SRLINK source);
SR_API void SRClose(SRLINK link);

/* Error state of a link. */
SR_API int SRError(SRLINK link);
SR_API const char* SRErrorMessage(SRLINK link);
SR_API void SRReleaseErrorMessage(SRLINK link, const char* message);
SR_API int SRClearError(SRLINK link);

#ifdef __cplusplus
}
#endif
