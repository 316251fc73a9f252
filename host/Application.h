// The Application object: the application-wide properties and events, the quit sequence, the
// menu handlers compiled code installs by name and the pollable objects, and the interface
// definitions Readable, Writeable and _Pollable.
#pragma once

#include <cstddef>
#include <cstdint>

#include "comms/PollableObjects.h"
#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/SimpleVector.h"
#include "core/StringMap.h"

struct ApplicationObject {
    ObjectHeader header;
    ObjectHeader* mouseCursor;
    ObjectHeader* mdiWindow;
    uint8_t balloonHelpVisible;
    uint8_t closing;
    ObjectHeader* menuBar;
    StringMap<void*>* mMenuHandlers;
    uint8_t autoQuit;
};

#ifndef _WIN64
static_assert(offsetof(ApplicationObject, mouseCursor) == 24);
static_assert(offsetof(ApplicationObject, mdiWindow) == 28);
static_assert(offsetof(ApplicationObject, balloonHelpVisible) == 32);
static_assert(offsetof(ApplicationObject, closing) == 33);
static_assert(offsetof(ApplicationObject, menuBar) == 36);
static_assert(offsetof(ApplicationObject, mMenuHandlers) == 40);
static_assert(offsetof(ApplicationObject, autoQuit) == 44);
static_assert(sizeof(ApplicationObject) == 48);
#endif

// The events in slot order; a compiled subclass's own events follow them.
enum ApplicationEvent : int32_t {
    kAppOpen,
    kAppClose,
    kAppEnableMenuItems,
    kAppNewDocument,
    kAppOpenDocument,
    kAppHandleAppleEvent,
    kAppActivate,
    kAppDeactivate,
    kAppUnhandledException,
    kAppCancelClose,
    kApplicationEventCount
};

ObjectDefinition* Application();
ObjectDefinition* Readable();
ObjectDefinition* Writeable();
ObjectDefinition* Pollable();
const EventDefinition* ApplicationEventDefinition(ApplicationEvent event);

// The registered application object (no reference added), or null. Registration is the start-up
// code's; the finalizer clears it for its own object.
ObjectHeader* ApplicationObjectOrNull();
void SetApplicationObject(ObjectHeader* application);

// The function implementing the event on the registered application object, or null.
void* ApplicationEventHandler(ApplicationEvent event);

// The field'th "."-separated number of a "FileVersion" text; a missing field reads as 0.
int32_t VersionNumberField(const string& version, int32_t field);

// The quit sequence: true when the application may end.
bool CloseApplication();

// Wraps one language object for the idle-poll list: Poll calls its _Poll when it has one.
struct PollableObjectWrapper final : PollableObject, RuntimeAllocated {
    void Poll() override;
    ObjectHeader* object = nullptr;  // one reference held
    void* pollMethod = nullptr;
};
// The wrappers the Application made, oldest first.
const SimpleVector<PollableObjectWrapper*>& ApplicationPollables();

extern "C" {
void CreateApplicationClass();
ObjectHeader* getAppObject();
void ApplicationInitializer(ObjectHeader* application);
void ApplicationFinalizer(ObjectHeader* application);
void ApplicationNewDocument(ObjectHeader* application);
void ApplicationOpenDocument(ObjectHeader* application, ObjectHeader* item);
bool FireApplicationCancelCloseEvent();
bool ApplicationQuit(ObjectHeader* application, bool raiseEndException);
bool QV_ApplicationQuit(ObjectHeader* application);
void FireApplicationActivate();
void FireApplicationDeactivate();
void ApplicationAddMenuHandler(ObjectHeader* application, StringRecord* name, void* function);
PollableObjectWrapper* ApplicationAddPollableObject(ObjectHeader* application, ObjectHeader* object);
void ApplicationRemovePollableObject(ObjectHeader* application, ObjectHeader* object);
void ApplicationRemoveAllPollableObjects(ObjectHeader* application);
int32_t Win32NonIDEIntVer(int32_t kind);
StringRecord* Win32NonIDEStringVer(int32_t kind);
int32_t MacNonIDEIntVer();
StringRecord* MacNonIDEStringVer();

// Property accessors take the row's parameter second; setters take the new value third.
ObjectHeader* AppMenuBarGetter(ObjectHeader* application, int32_t);
void AppMenuBarSetter(ObjectHeader* application, int32_t, ObjectHeader* menuBar);
void appMouseCursorSetter(ObjectHeader* application, int32_t offset, ObjectHeader* cursor);
int32_t AppBalloonHelpVisibleGetter(ObjectHeader* application, int32_t offset);
void AppBalloonHelpVisibleSetter(ObjectHeader* application, int32_t offset, int32_t visible);
int32_t AppAutoCloseGetter(ObjectHeader* application, int32_t);
void AppAutoCloseSetter(ObjectHeader* application, int32_t, int32_t autoQuit);
int32_t AppGetCurrentEventTime(ObjectHeader* application, int32_t);
ObjectHeader* AppFolderItemGetter(ObjectHeader* application, int32_t);
int32_t AppIntegerVersionStuffGetter(ObjectHeader* application, int32_t kind);
StringRecord* AppStringVersionStuffGetter(ObjectHeader* application, int32_t kind);
void AppSleepCurrentThread(ObjectHeader* application, int32_t milliseconds);
ObjectHeader* RuntimeMenuArrayReference();
ObjectHeader* RuntimeCloneMenu();
}
