// The exported number functions: scalars, lists and arrays of the six
// element types. Put is given type W (Integer16 widened to int, Real32 to
// double); everything else uses the element type T itself.
#include "host/sr64i4/number_transfer.h"
#include "link/sr64i4.h"

#define SR_NUMBER_EXPORTS(Name, T, W)                                                                   \
    SR_API int SRPut##Name(SRLINK link, W value) { return sr::putScalar<T>("SRPut" #Name, link, value); } \
    SR_API int SRGet##Name(SRLINK link, T* value) { return sr::getScalar<T>("SRGet" #Name, link, value); } \
    SR_API int SRPut##Name##List(SRLINK link, const T* data, int length) {                             \
        return sr::putList<T>("SRPut" #Name "List", link, data, length);                              \
    }                                                                                                   \
    SR_API int SRGet##Name##List(SRLINK link, T** data, int* length) {                                 \
        return sr::getList<T>("SRGet" #Name "List", link, data, length);                              \
    }                                                                                                   \
    SR_API void SRRelease##Name##List(SRLINK link, T* data, int length) {                              \
        sr::releaseList<T>("SRRelease" #Name "List", link, data, length);                             \
    }                                                                                                   \
    SR_API int SRPut##Name##Array(SRLINK link, const T* data, const int* dims, const char** heads, int depth) { \
        return sr::putArray<T>("SRPut" #Name "Array", link, data, dims, heads, depth);               \
    }                                                                                                   \
    SR_API int SRGet##Name##Array(SRLINK link, T** data, int** dims, char*** heads, int* depth) {      \
        return sr::getArray<T>("SRGet" #Name "Array", link, data, dims, heads, depth);               \
    }                                                                                                   \
    SR_API void SRRelease##Name##Array(SRLINK link, T* data, int*, char**, int depth) {                \
        sr::releaseArray<T>("SRRelease" #Name "Array", link, data, depth);                            \
    }

extern "C" {
SR_NUMBER_EXPORTS(Integer8, unsigned char, unsigned char)
SR_NUMBER_EXPORTS(Integer16, short, int)
SR_NUMBER_EXPORTS(Integer32, int, int)
SR_NUMBER_EXPORTS(Integer64, long long, long long)
SR_NUMBER_EXPORTS(Real32, float, double)
SR_NUMBER_EXPORTS(Real64, double, double)
}
