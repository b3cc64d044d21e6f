// PinEnumerator; see ds_enum_pins.h.
#include "platform/linux/ds_enum_pins.h"

#include <algorithm>
#include <new>

#include "platform/direct_show.h"

namespace MorvalePlatform {

ComPtr<PinEnumerator> PinEnumerator::create(std::vector<ComPtr<IPin>> pins, std::size_t position) {
    return ComPtr<PinEnumerator>::attach(new (std::nothrow) PinEnumerator(std::move(pins), position));
}

void* PinEnumerator::interfaceFor(REFIID riid) {
    if (riid == IID_IEnumPins) return static_cast<IEnumPins*>(this);
    return ComObject::interfaceFor(riid);
}

HRESULT PinEnumerator::Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) {
    MORVALE_INSTRUMENTED_CALL("IEnumPins::Next");
    if (!ppPins || (!pcFetched && cPins != 1)) return E_POINTER;
    ULONG fetched = 0;
    while (fetched < cPins && position_ < pins_.size()) {
        ppPins[fetched++] = ComPtr<IPin>(pins_[position_++]).detach();
    }
    if (pcFetched) *pcFetched = fetched;
    return fetched == cPins ? S_OK : S_FALSE;
}

HRESULT PinEnumerator::Skip(ULONG cPins) {
    const std::size_t left = pins_.size() - position_;
    position_ += std::min<std::size_t>(cPins, left);
    return cPins <= left ? S_OK : S_FALSE;
}

HRESULT PinEnumerator::Reset() {
    position_ = 0;
    return S_OK;
}

HRESULT PinEnumerator::Clone(IEnumPins** ppEnum) {
    if (!ppEnum) return E_POINTER;
    ComPtr<PinEnumerator> clone = create(pins_, position_);
    if (!clone) return E_OUTOFMEMORY;
    *ppEnum = clone.detach();
    return S_OK;
}

}  // namespace MorvalePlatform
