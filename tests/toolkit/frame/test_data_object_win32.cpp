#include "test_data_object_win32.h"

#include <shlobj.h>

#include <cstring>

namespace frametest {

namespace {

// Owns one handed-out block: ReleaseStgMedium calls Release here instead of
// freeing the memory, so the data object learns of every returned medium.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class MediumOwner : public IUnknown {
  public:
    MediumOwner(HGLOBAL block, int& outstandingCount)
        : memory(block), outstanding(outstandingCount) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown))
            return E_NOINTERFACE;
        *object = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override {
        if (--references != 0)
            return references;
        GlobalFree(memory);
        --outstanding;
        delete this;
        return 0;
    }

  private:
    virtual ~MediumOwner() = default;
    HGLOBAL memory;
    int& outstanding;
    ULONG references = 1;
};
#pragma GCC diagnostic pop

}  // namespace

TestDataObject* TestDataObject::withText(const std::wstring& text, bool terminated) {
    const size_t characters = text.size() + (terminated ? 1 : 0);
    std::vector<char> data(characters * sizeof(wchar_t), '\0');
    std::memcpy(data.data(), text.data(), text.size() * sizeof(wchar_t));
    return new TestDataObject(CF_UNICODETEXT, std::move(data));
}

TestDataObject* TestDataObject::withFiles(const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const auto& path : paths) {
        list += path;
        list += L'\0';
    }
    list += L'\0';
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::vector<char> data(sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    std::memcpy(data.data(), &header, sizeof header);
    std::memcpy(data.data() + sizeof header, list.data(), list.size() * sizeof(wchar_t));
    return new TestDataObject(CF_HDROP, std::move(data));
}

STDMETHODIMP TestDataObject::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDataObject))
        return E_NOINTERFACE;
    *object = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TestDataObject::AddRef() {
    return ++referenceCount;
}

STDMETHODIMP_(ULONG) TestDataObject::Release() {
    if (--referenceCount != 0)
        return referenceCount;
    delete this;
    return 0;
}

bool TestDataObject::offers(const FORMATETC* wanted) const {
    return wanted && wanted->cfFormat == format && (wanted->tymed & TYMED_HGLOBAL) != 0 &&
           wanted->dwAspect == DVASPECT_CONTENT;
}

STDMETHODIMP TestDataObject::GetData(FORMATETC* wanted, STGMEDIUM* medium) {
    if (!medium)
        return E_INVALIDARG;
    if (!offers(wanted))
        return DV_E_FORMATETC;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!block)
        return E_OUTOFMEMORY;
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = new MediumOwner(block, outstanding);
    ++outstanding;
    ++handedOut;
    return S_OK;
}

STDMETHODIMP TestDataObject::QueryGetData(FORMATETC* wanted) {
    return offers(wanted) ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP TestDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out)
        out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

}  // namespace frametest
