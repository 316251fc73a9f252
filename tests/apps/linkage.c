/* Imports entry points of every built-in class that has any, of the global functions and of the
 * Bitwise module, as compiled code does: the loader resolves each name before the entry runs, so
 * the application starts only when every one of them has its row in the link table. It calls
 * none of them; it writes how many it linked and whether the alias row of the window handle
 * getter names the getter itself. */
#include "OutputLine.h"

#define QV_LINKED_NAMES(X)                                                                       \
    /* Thread, the locks, the streams and the files */                                          \
    X(threadRun) X(ThreadSuspend) X(Semaphore_Signal) X(criticalsection_enter) X(MutexLock)     \
    X(resourceForkClose) X(FolderItemPathCtor) X(fileAbsolutePathGetter) X(PermissionsCtor)     \
    X(VirtVolRootGetter) X(BinaryStreamReadByte) X(TextInputStreamReadLine)                     \
    X(TextOutputStreamWriteLine) X(RegistryItemPathCtor) X(RegistryParentGetter)                \
    /* the values */                                                                            \
    X(RuntimeDebugObjectCount) X(BlowfishEncipher) X(RuntimeEndOfLine) X(RandomNumber)         \
    X(DateCompare) X(dateFieldGetter) X(memoryGetLong) X(VariantEqual) X(variantToInt)          \
    X(dictionaryHasKey) X(dictionaryCount) X(collectionItem) X(objectCursorNextObject)          \
    X(TextEncodingChr) X(textConverterConvert) X(EncodingsGetFromCode) X(RuntimeBitwiseAnd)     \
    X(stringGetter) X(intGetter) X(StringLeft) X(RuntimeIntToFloat)                             \
    /* the graphics */                                                                          \
    X(rgbSurfaceGetPixel) X(PictureConstructor) X(pictureWidthGetter)                           \
    X(RuntimeGraphicsDrawLine) X(graphicsForeColorGetter)                                       \
    /* cursors, keyboard, screens, menus */                                                     \
    X(GetHandOpenCursor) X(keyboardAsyncKeyDown) X(screenLeftGetter) X(MenuBarInstallClone)     \
    X(RuntimeEnableMenu)                                                                        \
    /* the controls */                                                                          \
    X(controlWindowGetter) X(ControlVisibleGetter) X(ControlParentSetter) X(ctlPosGetter)       \
    X(controlEnabledSetter) X(canvasGraphicsGetter) X(canvasBackdropSetter)                     \
    /* Window and ContainerControl */                                                           \
    X(windowTitleGetter) X(windowFrameGetter) X(windowCloseBoxGetter) X(windowCloseBoxSetter)   \
    X(windowPlacementGetter) X(windowPlacementSetter) X(windowBackColorGetter)                  \
    X(windowBackdropGetter) X(windowHWNDGetter) X(getterWinHWND) X(WindowMenuBarGetter)         \
    X(WindowMenuBarSetter) X(WindowFocusGetter) X(WindowFocusSetter) X(WindowMaximize)          \
    X(WindowMinimize) X(WindowRestore) X(RuntimeShowWithinWindow)                               \
    X(RuntimeShowModalWithinWindow) X(formRefresh) X(formRefreshRect) X(formDrawInto)           \
    X(formNewDragItem) X(formAcceptFileDrop) X(formAcceptMacDataDrop)                           \
    X(formAcceptPictureDrop) X(formAcceptTextDrop) X(EmbedWithinControl)                        \
    X(eWindowParentGetter)                                                                      \
    /* the database classes */                                                                  \
    X(databaseSQLExecute) X(cursorMoveNext) X(databaseCursorFieldGetString)                     \
    X(getDatabaseRecordColumn) X(scrollableCursorGetCount) X(databaseQueryGetCount)             \
    /* Application and the console classes */                                                   \
    X(AppAutoCloseGetter) X(AppAutoCloseSetter) X(AppMenuBarGetter) X(AppMenuBarSetter)         \
    X(ApplicationAddMenuHandler) X(ApplicationNewDocument) X(ApplicationOpenDocument)           \
    X(AppFolderItemGetter) X(AppSleepCurrentThread) X(AddTrayItem) X(RemoveTrayItem)           \
    X(DaemonizeApp) X(RuntimeStdInputReadLine) X(RuntimeStdOutputStreamWrite)                   \
    /* the sockets */                                                                           \
    X(socketClose) X(SocketPortGetter) X(SocketListen) X(ServerSocketListen)

/* Declared under names of their own: the runtime header declares some of them with their types. */
#define QV_DECLARE_LINKED(name) void QV_CDECL Linked_##name(void) __asm__("_" #name);
QV_LINKED_NAMES(QV_DECLARE_LINKED)

/* Each address goes through a volatile slot, so that the compiler keeps the import instead of
 * assuming that a function's address is never null. */
static int32_t Linked(void (*function)(void)) {
    void (*volatile slot)(void) = function;
    return slot != 0;
}

static int32_t Same(void (*first)(void), void (*second)(void)) {
    void (*volatile slot)(void) = first;
    return slot == second;
}

void QvMain(void) {
    int32_t linked = 0;
    int32_t count = 0;
#define QV_COUNT_LINKED(name) linked += Linked(Linked_##name), count++;
    QV_LINKED_NAMES(QV_COUNT_LINKED)

    AppendText("linkage: ");
    AppendNumber(linked);
    AppendText(" of ");
    AppendNumber(count);
    AppendText(" linked, getterWinHWND ");
    AppendText(Same(Linked_getterWinHWND, Linked_windowHWNDGetter) ? "is" : "is not");
    AppendText(" windowHWNDGetter");
    WriteLine();
}
