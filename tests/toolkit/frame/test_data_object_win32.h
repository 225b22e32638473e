// A data object as a drag source hands it to a drop target: Unicode text or a
// list of files, in global memory. It counts its references and the media it
// handed out and got back.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

namespace frametest {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class TestDataObject : public IDataObject {
  public:
    // CF_UNICODETEXT; without the terminator the block ends right after the text.
    static TestDataObject* withText(const std::wstring& text, bool terminated = true);
    // CF_HDROP with wide paths.
    static TestDataObject* withFiles(const std::vector<std::wstring>& paths);

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    ULONG references() const { return referenceCount; }
    // Media handed out and not yet released.
    int outstandingMedia() const { return outstanding; }
    int mediaHandedOut() const { return handedOut; }

  protected:
    virtual ~TestDataObject() = default;

  private:
    TestDataObject(CLIPFORMAT dataFormat, std::vector<char> data)
        : format(dataFormat), bytes(std::move(data)) {}
    bool offers(const FORMATETC* wanted) const;

    CLIPFORMAT format;
    std::vector<char> bytes;
    ULONG referenceCount = 1;
    int outstanding = 0;
    int handedOut = 0;
};
#pragma GCC diagnostic pop

}  // namespace frametest
