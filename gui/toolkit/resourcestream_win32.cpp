#include "gui/toolkit/resourcestream_win32.h"

#include <cstring>

namespace VSTGUI {

ResourceStream::ResourceStream(const void* bytes, uint32_t byteCount)
    : data(static_cast<const uint8_t*>(bytes)), size(bytes ? byteCount : 0) {}

HRESULT STDMETHODCALLTYPE ResourceStream::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IStream) ||
        IsEqualIID(iid, IID_ISequentialStream)) {
        *object = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ResourceStream::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&referenceCount));
}

ULONG STDMETHODCALLTYPE ResourceStream::Release() {
    const LONG count = InterlockedDecrement(&referenceCount);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

HRESULT STDMETHODCALLTYPE ResourceStream::Read(void* buffer, ULONG count, ULONG* bytesRead) {
    if (bytesRead)
        *bytesRead = 0;
    // 64-bit sum: a huge count must not wrap around into a small one.
    if (uint64_t{position} + count > size)
        return S_FALSE;
    if (count > 0) {
        if (!buffer)
            return STG_E_INVALIDPOINTER;
        std::memcpy(buffer, data + position, count);
    }
    position += count;
    if (bytesRead)
        *bytesRead = count;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResourceStream::Write(const void*, ULONG, ULONG*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ResourceStream::Seek(LARGE_INTEGER move, DWORD origin,
                                               ULARGE_INTEGER* newPosition) {
    int64_t target = 0;
    switch (origin) {
    case STREAM_SEEK_SET:
        target = move.QuadPart;
        break;
    case STREAM_SEEK_CUR:
        // Overflow-free: position is below 2^32 and a move beyond the size fails anyway.
        if (move.QuadPart > int64_t{size} || move.QuadPart < -int64_t{UINT32_MAX})
            return S_FALSE;
        target = int64_t{position} + move.QuadPart;
        break;
    case STREAM_SEEK_END:
        return S_FALSE;
    default:
        return STG_E_INVALIDFUNCTION;
    }
    if (target < 0 || target >= int64_t{size})
        return S_FALSE;
    position = static_cast<uint32_t>(target);
    if (newPosition)
        newPosition->QuadPart = position;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResourceStream::SetSize(ULARGE_INTEGER) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ResourceStream::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                                 ULARGE_INTEGER*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ResourceStream::Commit(DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ResourceStream::Revert() {
    position = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResourceStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ResourceStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ResourceStream::Stat(STATSTG* statistics, DWORD) {
    if (!statistics)
        return STG_E_INVALIDPOINTER;
    *statistics = STATSTG{};
    statistics->cbSize.QuadPart = size;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResourceStream::Clone(IStream** copy) {
    if (copy)
        *copy = nullptr;
    return E_NOTIMPL;
}

}  // namespace VSTGUI
