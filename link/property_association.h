// How the property functions talk to the host: the argument is a List of one
// path; the reply is an Association of key -> value rules, collected on a
// loopback link so that nothing of an unfinished association reaches the
// host. Keys are strings (or 1-based stream numbers for nested audio
// associations); values are reals, unsigned 32-bit quantities sent as 64-bit
// integers, 32-bit integers or strings.
#pragma once

#include <cstdint>
#include <string>

#include "link/link_stream.h"

namespace TravexUtils {

// Reads List[path] from the link; the UTF-8 bytes are copied and handed back.
std::string readPathArgument(LinkStream& stream);

class PropertyAssociation {
public:
    // Begins an association on the stream (a nested one when another is open).
    explicit PropertyAssociation(LinkStream& stream);
    PropertyAssociation(const PropertyAssociation&) = delete;
    PropertyAssociation& operator=(const PropertyAssociation&) = delete;

    PropertyAssociation& putReal(const std::string& key, double value);
    PropertyAssociation& putUnsigned(const std::string& key, uint32_t value);
    PropertyAssociation& putInteger(const std::string& key, int32_t value);
    PropertyAssociation& putString(const std::string& key, const std::string& value);
    // Begins the rule numbered key whose value is a nested association; the
    // caller fills it through a PropertyAssociation of its own and ends it.
    LinkStream& beginNumberedRule(int32_t key);

    // Writes the association with its count onto the enclosing link.
    void end();

private:
    LinkStream& stream_;
};

}  // namespace TravexUtils
