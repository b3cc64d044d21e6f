// The error codes the library has registered, as a host learns them: from the
// table sendRegisteredErrors writes on a link. A code a library function
// returns that is not in this table is a failure nobody can name.
#pragma once

#include <cstddef>
#include <set>

#include "host/sr64i4/sr_value.h"

namespace morvale_fuzz {

class RegisteredCodes {
public:
    // Asks the loaded, initialised library for its table over a host link.
    // Throws std::runtime_error when the call fails or writes no table.
    static RegisteredCodes fetch();

    // The codes of an Association of name -> {code, message} rules; rules of
    // another shape are skipped. Throws std::invalid_argument when the value
    // is not an association.
    static RegisteredCodes fromTable(const SrValue& association);

    bool contains(long long code) const { return codes_.count(code) != 0; }
    std::size_t size() const { return codes_.size(); }

private:
    std::set<long long> codes_;
};

}  // namespace morvale_fuzz
