// The exported functions korvel knows how to call: their argument kinds and
// result kind. Adding a library function to korvel means adding one row.
#pragma once

#include <string>
#include <vector>

namespace korvel {

enum class ArgKind {
    String,       // passed as given
    Integer,      // decimal
    IntegerList,  // "3,1,3" or "" for none, as a rank-1 integer tensor
    RealList,     // "0.04,0.04", as a rank-1 real tensor
    Image,        // a PNG file (2D) or a directory of PNG frames (3D)
    RawArray,     // a WAV file, as planar signed 16-bit samples
};

enum class ResultKind { Boolean, Integer, Real, String, Image, RealTensor, IntegerTensor, RawArray, Link };

struct Signature {
    std::string name;
    std::vector<ArgKind> arguments;
    ResultKind result;
};

// The signature of an exported function, or null when korvel does not know it.
const Signature* findSignature(const std::string& name);
const std::vector<Signature>& allSignatures();

}  // namespace korvel
