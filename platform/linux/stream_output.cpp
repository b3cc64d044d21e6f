// buildSample; see stream_output.h.
#include "platform/linux/stream_output.h"

namespace MorvalePlatform {

ComPtr<Sample> buildSample(SampleParts parts) {
    ComPtr<Sample> sample = Sample::create();
    if (parts.time) sample->setTime(*parts.time);
    if (parts.duration) sample->setDuration(*parts.duration);
    sample->attributes().setUINT32(MFSampleExtension_CleanPoint, parts.cleanPoint ? 1 : 0);
    if (parts.buffer) {
        sample->AddBuffer(parts.buffer.get());
    } else if (parts.deferred) {
        sample->setDeferredBuffer(std::move(parts.deferred));
    }
    return sample;
}

}  // namespace MorvalePlatform
