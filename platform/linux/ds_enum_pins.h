// PinEnumerator: IEnumPins over the pins a filter showed when it was asked
// (each held by a reference, so the filter stays while the enumerator does).
#pragma once

#include <vector>

#include "platform/com_ptr.h"
#include "platform/direct_show.h"
#include "platform/linux/com_object.h"

namespace MorvalePlatform {

class PinEnumerator final : public ComObject<IEnumPins> {
public:
    static ComPtr<PinEnumerator> create(std::vector<ComPtr<IPin>> pins, std::size_t position = 0);

    HRESULT STDMETHODCALLTYPE Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG cPins) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumPins** ppEnum) override;

protected:
    void* interfaceFor(REFIID riid) override;

private:
    PinEnumerator(std::vector<ComPtr<IPin>> pins, std::size_t position) noexcept
        : pins_(std::move(pins)), position_(position) {}

    std::vector<ComPtr<IPin>> pins_;
    std::size_t position_;
};

}  // namespace MorvalePlatform
