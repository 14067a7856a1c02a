#pragma once

#include <windows.h>

#include <objidl.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace TestSupport {

// A data object such as a drop brings, offering chosen formats as global memory blocks. It lives
// on the stack of a test: its reference count only counts.
class TestDataObject : public IDataObject {
public:
    void Offer(CLIPFORMAT format, std::vector<std::uint8_t> bytes) { mBlocks[format] = std::move(bytes); }
    int GetDataCalls() const { return mGetDataCalls; }
    // References held: 1 (the test's own) once everyone else let go.
    int RefCount() const { return static_cast<int>(mRefs); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IDataObject) {
            *object = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++mRefs; }
    ULONG STDMETHODCALLTYPE Release() override { return --mRefs; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        ++mGetDataCalls;
        const auto block = mBlocks.find(format->cfFormat);
        if (block == mBlocks.end()) {
            return DV_E_FORMATETC;
        }
        if ((format->tymed & TYMED_HGLOBAL) == 0) {
            return DV_E_TYMED;
        }
        // A block of exactly the data's size: the reader must keep within it.
        const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, block->second.size());
        if (memory == nullptr) {
            return E_OUTOFMEMORY;
        }
        if (!block->second.empty()) {
            std::memcpy(GlobalLock(memory), block->second.data(), block->second.size());
            GlobalUnlock(memory);
        }
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return mBlocks.count(format->cfFormat) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** out) override {
        *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::map<CLIPFORMAT, std::vector<std::uint8_t>> mBlocks;
    ULONG mRefs = 1;
    int mGetDataCalls = 0;
};

inline CLIPFORMAT ShellIdListFormat() {
    return static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_SHELLIDLIST));
}

// A CF_HDROP block naming the files, as the shell writes it.
inline std::vector<std::uint8_t> DropFilesBlock(const std::vector<std::wstring>& files) {
    std::wstring names;
    for (const std::wstring& file : files) {
        names += file;
        names.push_back(L'\0');
    }
    names.push_back(L'\0');
    if (files.empty()) {
        names.push_back(L'\0');
    }
    std::vector<std::uint8_t> block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t), 0);
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof(header));
    std::memcpy(block.data() + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    return block;
}

// A "Shell IDList Array" block: the parent folder's absolute list and the items' relative lists.
inline std::vector<std::uint8_t> IdListArrayBlock(PCIDLIST_ABSOLUTE parent,
                                                  const std::vector<PCUIDLIST_RELATIVE>& items) {
    std::vector<const ITEMIDLIST*> lists{parent};
    lists.insert(lists.end(), items.begin(), items.end());
    std::vector<std::uint8_t> block(sizeof(UINT) * (lists.size() + 1), 0);
    const UINT count = static_cast<UINT>(items.size());
    std::memcpy(block.data(), &count, sizeof(count));
    for (std::size_t i = 0; i < lists.size(); ++i) {
        const UINT offset = static_cast<UINT>(block.size());
        std::memcpy(block.data() + sizeof(UINT) * (i + 1), &offset, sizeof(offset));
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(lists[i]);
        block.insert(block.end(), bytes, bytes + ILGetSize(lists[i]));
    }
    return block;
}

} // namespace TestSupport
