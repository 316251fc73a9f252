// The drop target every window registers for its native window.
//
// Stand-in until the window system takes drops: it refuses every drop (no effect over the window,
// nothing delivered), so panes never see a drag item.
#pragma once

#include <windows.h>

#include <ole2.h>

class WindowPane;

class WindowDropTarget : public IDropTarget {
public:
    explicit WindowDropTarget(WindowPane* pane) : mPane(pane) {}
    virtual ~WindowDropTarget() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD* effect) override;

    // Registers with the native window; answers whether OLE took it.
    bool Register(HWND window);
    void Revoke(HWND window);
    // Drops the pane's reference; OLE may hold others until it revokes.
    void Forget();

private:
    WindowPane* mPane;
    LONG mReferences = 1;
    bool mRegistered = false;
};
