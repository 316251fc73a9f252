// The tooltip owners every pane carries: one for its help tag and one for its balloon help. Each
// owns at most one tooltip window of the class "tooltips_class32".
#pragma once

#include <windows.h>

#include "core/GuardedMemory.h"
#include "core/RuntimeString.h"

// Initialises the common controls (class set 0xFF) on the first call only.
void InitCommonControlsOnce();

class ToolTipOwner : public RuntimeAllocated {
public:
    ToolTipOwner();
    virtual ~ToolTipOwner();
    ToolTipOwner(const ToolTipOwner&) = delete;
    ToolTipOwner& operator=(const ToolTipOwner&) = delete;

    // Replaces the tooltip of the tool window; an empty text leaves none.
    virtual void SetText(HWND tool, const string& text);
    HWND GetToolTipHWND() const { return mToolTip; }

protected:
    // Removes the tool and destroys the tooltip window, when there is one.
    void Remove();
    // Makes the tooltip window and adds the tool; with a rectangle for a help tag.
    void Make(HWND tool, const string& text, DWORD exStyle, DWORD style, bool withRect);

    HWND mToolTip = nullptr;
    HWND mTool = nullptr;
    HWND mToolParent = nullptr;
};

// Balloon tooltips, inactive while the Application's BalloonHelpVisible is false.
class BalloonHelpToolTip : public ToolTipOwner {
public:
    void SetText(HWND tool, const string& text) override;
};
