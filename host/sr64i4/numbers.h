// The six numeric element types of the link: how a C value becomes a node
// and how a node is read back as one. Integers must fit the requested type;
// reals may be read from integer nodes, never the other way round.
#pragma once

#include <cfloat>
#include <cmath>
#include <string>
#include <type_traits>
#include <utility>

#include "host/sr64i4/api_call.h"
#include "host/sr64i4/reading.h"

namespace sr {

template <class T>
constexpr const char* typeName() {
    if constexpr (std::is_same_v<T, unsigned char>) return "Integer8";
    if constexpr (std::is_same_v<T, short>) return "Integer16";
    if constexpr (std::is_same_v<T, int>) return "Integer32";
    if constexpr (std::is_same_v<T, long long>) return "Integer64";
    if constexpr (std::is_same_v<T, float>) return "Real32";
    if constexpr (std::is_same_v<T, double>) return "Real64";
}

// A real that a float cannot hold (finite but beyond its range).
inline bool beyondFloat(double x) { return std::isfinite(x) && std::fabs(x) > FLT_MAX; }

// Node for a value already of the element type T.
template <class T>
SrValue numberNode(T value, const char* origin) {
    SrValue node;
    if constexpr (std::is_integral_v<T>) {
        node = SrValue::ofInteger(static_cast<long long>(value));
    } else {
        node = SrValue::ofReal(static_cast<double>(value));
    }
    node.origin = origin;
    return node;
}

// Node for a scalar put of type T given as the wider W (Integer16 as int,
// Real32 as double); the value must fit T.
template <class T, class W>
SrValue scalarNode(W value, const char* origin) {
    if constexpr (std::is_integral_v<T>) {
        if (!std::in_range<T>(value)) fail(SR_ERR_RANGE, std::to_string(value) + " does not fit " + typeName<T>());
    } else if constexpr (std::is_same_v<T, float>) {
        if (beyondFloat(value)) fail(SR_ERR_RANGE, "value does not fit Real32");
    }
    return numberNode<T>(static_cast<T>(value), origin);
}

// The value of a number node as T.
template <class T>
T numberValue(const SrValue& node) {
    if constexpr (std::is_integral_v<T>) {
        if (node.kind != SrValue::Kind::Integer)
            fail(SR_ERR_TYPE, std::string("expected an integer but found ") + kindName(node));
        if (!std::in_range<T>(node.integer))
            fail(SR_ERR_RANGE, std::to_string(node.integer) + " does not fit " + typeName<T>());
        return static_cast<T>(node.integer);
    } else {
        double x = 0;
        if (node.kind == SrValue::Kind::Integer) {
            x = static_cast<double>(node.integer);
        } else if (node.kind == SrValue::Kind::Real) {
            x = node.real;
        } else {
            fail(SR_ERR_TYPE, std::string("expected a number but found ") + kindName(node));
        }
        if constexpr (std::is_same_v<T, float>) {
            if (beyondFloat(x)) fail(SR_ERR_RANGE, "value does not fit Real32");
        }
        return static_cast<T>(x);
    }
}

}  // namespace sr
