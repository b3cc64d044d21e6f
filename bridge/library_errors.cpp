#include "bridge/library_errors.h"

#include "bridge/error_manager.h"

namespace TravexUtils {

const ErrorTable& libraryErrors() {
    static const ErrorTable table{
        {"ReaderInitializeError", "Reader is already initialized"},
        {"ReadFrameError", "Reader is not initialized"},
        {"FrameRateError", "Invalid FrameRate value"},
        {"BitRateError", "Invalid BitRate value"},    };
    return table;
}

const ErrorTable& mediaFoundationErrors() {
    static const ErrorTable table{
        {"MFNullPointerError", "Error expected a non-null pointer."},
        {"MFropertySetError", "Error setting a property."},
        {"MFPropertyGetError", "Error getting a property."},
        {"MFObjectCreateError", "Error creating a media type."},
        {"MFLibraryStartError", "Error starting Media Foundation library."},
        {"MFSampleReadError", "Error reading a sample."},
        {"MFBufferConversionError", "Error converting media buffer."},
        {"MFLockUnlockError", "Error while locking/unlocking data buffer."},
        {"MFAddStreamError", "Error adding media stream."},
        {"MFMediaTypeSetError", "Error setting media type."},
        {"MFWriteError", "Error to start writing samples."},
        {"MFMemoryCreateError", "Error while allocating a memory."},
        {"MFAddBufferError", "Error adding a media buffer."},
        {"MFFinalizeError", "Error finalizing sink writer."},
        {"MFCodecError", "Error identifying the codec."},
        {"MFSourceReaderError", "Error while reading a sample."},
        {"MFInvalidFrameIndex", "Error fetching the required fame."},
        {"MFEndOfFile", "End of file reached."},    };
    return table;
}

const ErrorTable& directShowErrors() {
    static const ErrorTable table{
        {"DSLibraryStartError", "Error starting library."},
        {"DSGraphCreateError", "Error creating a media graph."},
        {"DSInterfaceQueryError", "Error querying a graph interface."},
        {"DSEventQueryError", "Error querying a graph event."},
        {"DSSeekingQueryError", "Error querying a media seeking."},
        {"DSAddSourceFilterError", "Error adding a source filter to graph."},
        {"DSNullPointerError", "Error expected a non-null pointer."},
        {"DSGrabberFilterCreateError", "Error creating a grabber filter."},
        {"GrabberQueryError", "Error querying grabber filter."},
        {"DSAddGrabberFilterError", "Error adding grabber filter to graph."},
        {"DSAddAviSplitterFilterError", "Error adding avi splitter filter to graph."},
        {"DSMediaTypeSetError", "Error setting uncompressed media type."},
        {"DSSourceFilterEnumPinError", "Error enumerating source filter pins."},
        {"DSPinMediaTypeGetError", "Error getting media type of a pin."},
        {"DSNullFilterCreateError", "Error creating a null filter."},
        {"DSAviSplitterCreateError", "Error creating a avi splitter filter."},
        {"DSAddNullFilterError", "Error adding a null filter to graph."},
        {"DSConntectFilterError", "Error connecting grabber and null filters."},
        {"DSGrabberPropertySetError", "Error setting a property to grabber filter."},
        {"DSSetCallbackError", "Error setting a callback function."},
        {"DSMediaFilterQueryError", "Error querying media filter."},
        {"DSSetSourceSyncError", "Error setting source sync mode."},
        {"DSPropertyGetError", "Error getting a property."},
        {"DSSetPositionError", "Error setting graph position."},
        {"DSInvalidFrameIndex", "Error fetching the required fame."},
        {"DSEndOfFile", "End of file reached."},    };
    return table;
}

void registerLibraryErrorTables() {
    ErrorManager::registerErrors(libraryErrors());
    ErrorManager::registerErrors(mediaFoundationErrors());
    ErrorManager::registerErrors(directShowErrors());
}

}  // namespace TravexUtils
