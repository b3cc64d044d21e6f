#include "bridge/error_manager.h"

#include <mutex>

namespace TravexUtils {
namespace {

// The framework's own errors, in registration order. The first eight rows
// receive the host's result codes 7 down to 0.
const std::vector<std::pair<std::string, std::string>>& builtInErrors() {
    static const std::vector<std::pair<std::string, std::string>> table{
        {"VersionError", "An error was caused by an incompatible function call. The library was compiled with a previous KorvelLibrary version."},
        {"FunctionError", "An error occurred in the library function."},
        {"MemoryError", "An error was caused by failed memory allocation or insufficient memory."},
        {"NumericalError", "A numerical error was encountered."},
        {"DimensionsError", "An error caused by inconsistent dimensions or by exceeding array bounds."},
        {"RankError", "An error was caused by a tensor with an inconsistent rank."},
        {"TypeError", "An error caused by inconsistent types was encountered."},
        {"NoError", "No errors occurred."},
        {"MArgumentInitError", "MArgumentManager construction failed."},
        {"MArgumentIndexError", "An error was caused by an incorrect argument index."},
        {"MArgumentRawArrayError", "An error was caused by a RawArray argument."},
        {"MArgumentTensorError", "An error was caused by a Tensor argument."},
        {"MArgumentImageError", "An error was caused by an Image argument."},
        {"ErrorManagerThrowIdError", "An exception was thrown with a non-existent id."},
        {"ErrorManagerThrowNameError", "An exception was thrown with a non-existent name."},
        {"ErrorManagerCreateNameError", "An exception was registered with a name that already exists."},
        {"RawArrayInitError", "Failed to construct RawArray."},
        {"RawArrayNewError", "Failed to create a new MRawArray."},
        {"RawArrayCloneError", "Failed to clone MRawArray."},
        {"RawArrayTypeError", "An error was caused by an MRawArray type mismatch."},
        {"RawArraySizeError", "An error was caused by an incorrect RawArray size."},
        {"RawArrayIndexError", "An error was caused by attempting to access a nonexistent RawArray element."},
        {"TensorInitError", "Failed to construct Tensor."},
        {"TensorNewError", "Failed to create a new MTensor."},
        {"TensorCloneError", "Failed to clone MTensor."},
        {"TensorTypeError", "An error was caused by an MTensor type mismatch."},
        {"TensorSizeError", "An error was caused by an incorrect Tensor size."},
        {"TensorIndexError", "An error was caused by attempting to access a nonexistent Tensor element."},
        {"ImageInitError", "Failed to construct Image."},
        {"ImageNewError", "Failed to create a new MImage."},
        {"ImageCloneError", "Failed to clone MImage."},
        {"ImageTypeError", "An error was caused by an MImage type mismatch."},
        {"ImageSizeError", "An error was caused by an incorrect Image size."},
        {"ImageIndexError", "An error was caused by attempting to access a nonexistent Image element."},
        {"SRTestHeadError", "SRTestHead failed (wrong head or number of arguments)."},
        {"SRPutSymbolError", "SRPutSymbol failed."},
        {"SRPutFunctionError", "SRPutFunction failed."},
        {"SRTestSymbolError", "SRTestSymbol failed (different symbol on the link than expected)."},
        {"SRWrongSymbolForBool", "Tried to read something else than \"True\" or \"False\" as boolean."},
        {"SRGetListError", "Could not get list from Serrin."},
        {"SRGetScalarError", "Could not get scalar from Serrin."},
        {"SRGetStringError", "Could not get string from Serrin."},
        {"SRGetArrayError", "Could not get array from Serrin."},
        {"SRPutListError", "Could not send list via Serrin."},
        {"SRPutScalarError", "Could not send scalar via Serrin."},
        {"SRPutStringError", "Could not send string via Serrin."},
        {"SRPutArrayError", "Could not send array via Serrin."},
        {"SRGetSymbolError", "SRGetSymbol failed."},
        {"SRGetFunctionError", "SRGetFunction failed."},
        {"SRPacketHandleError", "One of the packet handling functions failed."},
        {"SRFlowControlError", "One of the flow control functions failed."},
        {"SRTransferToLoopbackError", "Something went wrong when transferring expressions from loopback link."},
        {"SRCreateLoopbackError", "Could not create a new loopback link."},
        {"SRLoopbackStackSizeError", "Loopback stack size too small to perform desired action."},
        {"DLNullRawNode", "DataStoreNode passed to Node wrapper was null"},
        {"DLInvalidNodeType", "DataStoreNode passed to Node wrapper carries data of invalid type"},
        {"DLGetNodeDataError", "DataStoreNode_getData failed"},
        {"DLNullRawDataStore", "DataStore passed to DataList was null"},
        {"DLPushBackTypeError", "Element to be added to the DataList has incorrect type"},
        {"ArgumentCreateNull", "Trying to create Argument object from nullptr"},
        {"ArgumentAddNodeMArgument", "Trying to add DataStore Node of type MArgument (aka MType_Undef)"},    };
    return table;
}

// Next code to hand out; only moves at registration.
int nextErrorCode = 7;

}  // namespace

ErrorManager::ErrorMap& ErrorManager::registry() {
    static ErrorMap* map = nullptr;
    static std::once_flag created;
    std::call_once(created, [] {
        static ErrorMap instance;
        for (const auto& [name, message] : builtInErrors()) {
            const int code = nextErrorCode--;
            instance.emplace(name, TravexError(code, name, message));
        }
        map = &instance;
    });
    return *map;
}

const ErrorManager::ErrorMap& ErrorManager::errors() { return registry(); }

void ErrorManager::registerErrors(const std::vector<std::pair<std::string, std::string>>& errs) {
    for (const auto& [name, message] : errs) {
        ErrorMap& map = registry();
        const int code = nextErrorCode--;
        const auto [it, inserted] = map.try_emplace(name, code, name, message);
        if (!inserted) {
            ++nextErrorCode;  // the name already has its code
            if (it->second.message() != message) {
                throwException("ErrorManagerCreateNameError");
            }
        }
    }
}

const TravexError& ErrorManager::findError(const std::string& name) {
    const ErrorMap& map = registry();
    const auto it = map.find(name);
    if (it == map.end()) {
        throw map.at("ErrorManagerThrowNameError");
    }
    return it->second;
}

void ErrorManager::throwException(const std::string& name) { throw findError(name); }

void ErrorManager::throwException(const std::string& name, const std::string& debugInfo) {
    TravexError copy = findError(name);
    copy.setDebugInfo(debugInfo);
    throw copy;
}

int ErrorManager::nextCode() {
    registry();
    return nextErrorCode;
}

}  // namespace TravexUtils
