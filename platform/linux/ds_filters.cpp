// The source filter, AVI splitter and null renderer; see ds_filters.h.
#include "platform/linux/ds_filters.h"

#include <cstdio>
#include <new>

namespace MorvalePlatform {

namespace {

std::wstring streamPinName(std::size_t number) {
    wchar_t name[16];
    std::swprintf(name, 16, L"Stream %02zu", number);
    return name;
}

}  // namespace

ComPtr<SourceFilter> SourceFilter::create(std::shared_ptr<OpenedFile> file) {
    return ComPtr<SourceFilter>::attach(new (std::nothrow) SourceFilter(std::move(file)));
}

SourceFilter::SourceFilter(std::shared_ptr<OpenedFile> file) : FilterBase(CLSID_AsyncReader) {
    if (file->isAvi()) {
        addPin(Pin::Kind::FileBytes, L"Output", file);
        return;
    }
    const auto& streams = file->streams();
    for (std::size_t i = 0; i < streams.size(); ++i) {
        addPin(Pin::Kind::Stream, streamPinName(i), file, streams[i].index);
    }
}

ComPtr<AviSplitter> AviSplitter::create() { return ComPtr<AviSplitter>::attach(new (std::nothrow) AviSplitter()); }

AviSplitter::AviSplitter() : FilterBase(CLSID_AviSplitter) { addPin(Pin::Kind::SplitterInput, L"input pin"); }

void AviSplitter::inputConnected(Pin& input) {
    const std::shared_ptr<OpenedFile>& file = input.peer()->file();
    const auto& streams = file->streams();
    for (std::size_t i = 0; i < streams.size(); ++i) {
        addPin(Pin::Kind::Stream, streamPinName(i), file, streams[i].index);
    }
}

void AviSplitter::inputDisconnecting(Pin&) {
    // The stream pins go with the input's connection; connections they
    // have go first.
    disconnectPins(1);
    retirePinsAfter(1);
}

ComPtr<NullRenderer> NullRenderer::create() { return ComPtr<NullRenderer>::attach(new (std::nothrow) NullRenderer()); }

NullRenderer::NullRenderer() : FilterBase(CLSID_NullRenderer) { addPin(Pin::Kind::RendererInput, L"In"); }

}  // namespace MorvalePlatform
