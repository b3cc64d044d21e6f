// Scalar, list and array transfer of one numeric element type T, shared by
// the six typed families of SR number functions.
#pragma once

#include <climits>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "host/sr64i4/api_call.h"
#include "host/sr64i4/numbers.h"
#include "host/sr64i4/reading.h"

namespace sr {

template <class T, class W>
int putScalar(const char* name, SRLINK handle, W value) {
    return onLink(name, handle, [&](SRLinkRecord& link) {
        link.libraryWrites().put(scalarNode<T>(value, name));
        return 1;
    });
}

template <class T>
int getScalar(const char* name, SRLINK handle, T* out) {
    return onLink(name, handle, [&](SRLinkRecord& link) {
        requireOut(out);
        const T value = numberValue<T>(nextToRead(link));
        link.libraryReads().take();
        *out = value;
        return 1;
    });
}

template <class T>
int putList(const char* name, SRLINK handle, const T* data, int length) {
    return onLink(name, handle, [&](SRLinkRecord& link) {
        if (length < 0 || (data == nullptr && length > 0)) fail(SR_ERR_ARGUMENT, "null data or negative length");
        SrValue list = SrValue::ofList({});
        list.origin = name;
        list.args.reserve(static_cast<std::size_t>(length));
        for (int i = 0; i < length; ++i) list.args.push_back(numberNode<T>(data[i], name));
        link.libraryWrites().put(std::move(list));
        return 1;
    });
}

template <class T>
int getList(const char* name, SRLINK handle, T** data, int* length) {
    return onLink(name, handle, [&](SRLinkRecord& link) {
        requireOut(data);
        requireOut(length);
        const SrValue& next = nextOfKind(link, SrValue::Kind::Function, "a list");
        if (next.head != "List") fail(SR_ERR_TYPE, "expected a List but found head " + next.head);
        std::vector<T> values;
        values.reserve(next.args.size() + 1);  // never empty storage: its address keys the loan
        for (const SrValue& element : next.args) values.push_back(numberValue<T>(element));
        const int count = static_cast<int>(next.args.size());
        link.libraryReads().take();
        auto& stored =
            link.loans.lend(std::move(values), count, [](std::vector<T>& v) -> const void* { return v.data(); });
        *data = stored.data();
        *length = count;
        return 1;
    });
}

template <class T>
void releaseList(const char* name, SRLINK handle, T* data, int length) {
    releaseOnLink(name, handle, [&](SRLinkRecord& link) { return link.loans.release(data, length); });
}

// Nested heads of an array put, built level by level from row-major data.
template <class T>
SrValue arrayLevel(const T* data, const int* dims, const char** heads, int depth, int level, std::size_t& next,
                   const char* origin) {
    if (level == depth) return numberNode<T>(data[next++], origin);
    const char* head = heads != nullptr && heads[level] != nullptr ? heads[level] : "List";
    SrValue node = SrValue::ofFunction(head, {});
    node.origin = origin;
    node.args.reserve(static_cast<std::size_t>(dims[level]));
    for (int i = 0; i < dims[level]; ++i)
        node.args.push_back(arrayLevel(data, dims, heads, depth, level + 1, next, origin));
    return node;
}

template <class T>
int putArray(const char* name, SRLINK handle, const T* data, const int* dims, const char** heads, int depth) {
    return onLink(name, handle, [&](SRLinkRecord& link) {
        if (depth < 1 || dims == nullptr) fail(SR_ERR_ARGUMENT, "depth below 1 or null dimensions");
        long long total = 1;
        for (int i = 0; i < depth; ++i) {
            if (dims[i] < 0) fail(SR_ERR_ARGUMENT, "negative dimension");
            total *= dims[i];
            if (total > INT_MAX) fail(SR_ERR_ARGUMENT, "array too large");
        }
        if (total > 0 && data == nullptr) fail(SR_ERR_ARGUMENT, "null data");
        std::size_t next = 0;
        link.libraryWrites().put(arrayLevel(data, dims, heads, depth, 0, next, name));
        return 1;
    });
}

template <class T>
struct ArrayLoan {
    std::vector<T> data;
    std::vector<int> dims;
    std::vector<std::string> headNames;
    std::vector<char*> heads;
};

// Gathers the leaves of a rectangular array whose shape was taken from its
// first elements; any other shape is refused.
template <class T>
void gatherArray(const SrValue& node, std::size_t level, ArrayLoan<T>& shape) {
    if (level == shape.dims.size()) {
        shape.data.push_back(numberValue<T>(node));
        return;
    }
    if (!node.isFunction(shape.headNames[level]) || node.args.size() != static_cast<std::size_t>(shape.dims[level]))
        fail(SR_ERR_TYPE, "expected a rectangular array of numbers");
    for (const SrValue& arg : node.args) gatherArray(arg, level + 1, shape);
}

template <class T>
int getArray(const char* name, SRLINK handle, T** data, int** dims, char*** heads, int* depth) {
    return onLink(name, handle, [&](SRLinkRecord& link) {
        requireOut(data);
        requireOut(dims);
        requireOut(heads);
        requireOut(depth);
        const SrValue& top = nextOfKind(link, SrValue::Kind::Function, "an array");
        ArrayLoan<T> array;
        for (const SrValue* node = &top; node->kind == SrValue::Kind::Function; node = &node->args.front()) {
            array.headNames.push_back(node->head);
            array.dims.push_back(static_cast<int>(node->args.size()));
            if (node->args.empty()) break;
        }
        array.data.reserve(1);  // never empty storage: its address keys the loan
        gatherArray(top, 0, array);
        for (std::string& h : array.headNames) array.heads.push_back(h.data());
        const int levels = static_cast<int>(array.dims.size());
        link.libraryReads().take();
        auto& stored =
            link.loans.lend(std::move(array), levels, [](ArrayLoan<T>& a) -> const void* { return a.data.data(); });
        *data = stored.data.data();
        *dims = stored.dims.data();
        *heads = stored.heads.data();
        *depth = levels;
        return 1;
    });
}

template <class T>
void releaseArray(const char* name, SRLINK handle, T* data, int depth) {
    releaseOnLink(name, handle, [&](SRLinkRecord& link) { return link.loans.release(data, depth); });
}

}  // namespace sr
