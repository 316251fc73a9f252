// The event loop: the operating system's messages become the application's events, and the
// runtime's idle work runs between them. Every step runs inside the loop's exception frame.
#pragma once

#include <cstdint>

#include "MainLoopFrame.h"
#include "core/ObjectModel.h"

class SubPane;

void RunUntilQuit();
void RunEventLoopStep(LoopStep step);
void RunEventLoopStep(void (*step)(void*), void* context);
void EventLoopIteration();
void DoEventsStep(bool mayBlock);
bool IsQuitting();
void SetQuitFlag();

void TrackMouse(int32_t h, int32_t v);
void TrackMouseAtCursor();
SubPane* GetFocusPane();
void SetFocusPane(SubPane* pane);
SubPane* GetCapturePane();
void SetCapturePane(SubPane* pane);
void ReleaseCapturePane();
void PollEscapeKey();
void ClearUserCancel();
void CursorChanged();
void* FrontModalWindow();
bool IsCancelKeyChord(int32_t character, int32_t keyCode, int32_t modifiers);

extern "C" {
void RuntimeDoEvents(ObjectHeader* application, int32_t milliseconds);
void RuntimeBackgroundTask();
bool getUserCancelled();
}
