#include "WindowDropTarget.h"

HRESULT WindowDropTarget::QueryInterface(REFIID id, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
        *out = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG WindowDropTarget::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&mReferences)); }

ULONG WindowDropTarget::Release() {
    const LONG left = InterlockedDecrement(&mReferences);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT WindowDropTarget::DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT WindowDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT WindowDropTarget::DragLeave() { return S_OK; }

HRESULT WindowDropTarget::Drop(IDataObject*, DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = DROPEFFECT_NONE;
    return S_OK;
}

bool WindowDropTarget::Register(HWND window) {
    mRegistered = window && SUCCEEDED(RegisterDragDrop(window, this));
    return mRegistered;
}

void WindowDropTarget::Revoke(HWND window) {
    if (!mRegistered) return;
    mRegistered = false;
    if (window) RevokeDragDrop(window);
}

void WindowDropTarget::Forget() {
    mPane = nullptr;
    Release();
}
