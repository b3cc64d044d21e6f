// Buffers that SR get functions hand out. The link owns them until the caller
// passes the same pointer back to the matching release function; whatever is
// still on loan when the link closes is freed with it.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <utility>

namespace sr {

class Loans {
public:
    // Keeps value, keyed by the address keyOf(value) yields once the value
    // sits in its final place, and returns a reference to the stored value.
    // length is what the get reported, checked again on release.
    template <class T, class KeyOf>
    T& lend(T value, long long length, KeyOf keyOf) {
        auto held = std::make_unique<Held<T>>(std::move(value));
        T& stored = held->value;
        entries_.insert_or_assign(keyOf(stored), Entry{std::move(held), length});
        return stored;
    }

    enum class Release { Ok, Unknown, LengthMismatch };
    // Frees the loan keyed by key; a length mismatch still frees it.
    Release release(const void* key, long long length) {
        auto it = entries_.find(key);
        if (it == entries_.end()) return Release::Unknown;
        const bool sameLength = it->second.length == length;
        entries_.erase(it);
        return sameLength ? Release::Ok : Release::LengthMismatch;
    }
    // For releases that carry no length.
    Release release(const void* key) {
        auto it = entries_.find(key);
        if (it == entries_.end()) return Release::Unknown;
        return release(key, it->second.length);
    }

    std::size_t size() const { return entries_.size(); }

private:
    struct Loan {
        virtual ~Loan() = default;
    };
    template <class T>
    struct Held final : Loan {
        explicit Held(T v) : value(std::move(v)) {}
        T value;
    };
    struct Entry {
        std::unique_ptr<Loan> loan;
        long long length;
    };

    std::map<const void*, Entry> entries_;
};

}  // namespace sr
