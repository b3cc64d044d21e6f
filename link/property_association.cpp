#include "link/property_association.h"

namespace TravexUtils {

std::string readPathArgument(LinkStream& stream) {
    FunctionHead arguments("List", 1);
    stream.getFunction(arguments);
    return stream.getString();
}

PropertyAssociation::PropertyAssociation(LinkStream& stream) : stream_(stream) {
    stream_.beginExpression(BeginExpression{"Association"});
}

PropertyAssociation& PropertyAssociation::putReal(const std::string& key, double value) {
    stream_.putRule().putString(key).putScalar(value);
    return *this;
}

PropertyAssociation& PropertyAssociation::putUnsigned(const std::string& key, uint32_t value) {
    // Widened without sign extension: 4294967295 stays 4294967295.
    stream_.putRule().putString(key).putScalar(static_cast<long long>(value));
    return *this;
}

PropertyAssociation& PropertyAssociation::putInteger(const std::string& key, int32_t value) {
    stream_.putRule().putString(key).putScalar(value);
    return *this;
}

PropertyAssociation& PropertyAssociation::putString(const std::string& key, const std::string& value) {
    stream_.putRule().putString(key).putString(value);
    return *this;
}

LinkStream& PropertyAssociation::beginNumberedRule(int32_t key) {
    return stream_.putRule().putScalar(key);
}

void PropertyAssociation::end() { stream_.endExpression(); }

}  // namespace TravexUtils
