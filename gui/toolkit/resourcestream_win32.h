// A read-only COM stream over bytes that outlive it (an embedded resource),
// through which GDI+ decodes the embedded images. Reference counted with
// interlocked operations (GDI+ may hold it while decoding); it deletes itself
// when the count reaches 0. Reading past the end, seeking to or past the end
// and seeking from the end answer S_FALSE without moving.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstdint>

namespace VSTGUI {

// COM objects are destroyed by Release, never through a base pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ResourceStream : public IStream {
  public:
    // The count starts at 1.
    ResourceStream(const void* data, uint32_t size);
    ResourceStream(const ResourceStream&) = delete;
    ResourceStream& operator=(const ResourceStream&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* bytesRead) override;
    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* written) override;

    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                   ULARGE_INTEGER* newPosition) override;
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER newSize) override;
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER count,
                                     ULARGE_INTEGER* bytesRead,
                                     ULARGE_INTEGER* bytesWritten) override;
    HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Revert() override;
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                         DWORD lockType) override;
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                           DWORD lockType) override;
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* statistics, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Clone(IStream** copy) override;

    uint32_t getPosition() const { return position; }
    uint32_t getSize() const { return size; }

  private:
    virtual ~ResourceStream() = default;

    const uint8_t* data;
    uint32_t position = 0;
    uint32_t size;
    LONG referenceCount = 1;
};
#pragma GCC diagnostic pop

}  // namespace VSTGUI
