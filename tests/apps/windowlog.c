/* Window subclasses built as compiled code builds them, logging every event they get as
 * "Event:Name" on one line. The variable QV_SCENARIO picks what the application does; a driver
 * thread posts input and waits between steps while the event loop runs. AutoQuit ends the run
 * with the last window. */
#include "AppSupport.h"

QV_DECLARE_FUNCTION(user32, PostMessageA, int32_t,
                    (void* window, uint32_t message, uint32_t wParam, int32_t lParam));
QV_DECLARE_FUNCTION(user32, GetClientRect, int32_t, (void* window, int32_t* rect));
QV_DECLARE_FUNCTION(user32, ClientToScreen, int32_t, (void* window, int32_t* point));
QV_DECLARE_FUNCTION(user32, SetCursorPos, int32_t, (int32_t x, int32_t y));
QV_DECLARE_FUNCTION(user32, GetWindowLongA, int32_t, (void* window, int32_t index));
QV_DECLARE_FUNCTION(user32, DestroyWindow, int32_t, (void* window));
QV_DECLARE_FUNCTION(user32, SetForegroundWindow, int32_t, (void* window));

void QV_CDECL RuntimeRegisterAppObject(ObjectHeader* application);
void QV_CDECL RuntimeRun(void);
void QV_CDECL threadRun(ObjectHeader* thread);
ObjectHeader* QV_CDECL RuntimeGetBitmapFromResourceManager(int32_t id);
void QV_CDECL RuntimeGraphicsDrawLine(ObjectHeader* g, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void QV_CDECL ThreadSleep(ObjectHeader* thread, int32_t milliseconds, bool wakeEarly);
bool QV_CDECL QV_ApplicationQuit(ObjectHeader* application);
int32_t QV_CDECL eWindowIntPassThroughGetter(ObjectHeader* window, int32_t parameter);

enum {
    kWmClose = 0x10, kWmKeyDown = 0x100, kWmKeyUp = 0x101, kWmImeChar = 0x286, kWmLButtonDown = 0x201, kWmLButtonUp = 0x202,
    kWmRButtonDown = 0x204, kWmRButtonUp = 0x205, kGwlStyle = -16, kGwlExStyle = -20,
    kToolWindow = 0x80, kTopmost = 0x8
};

static ClassRecord* sWindowClass;   /* "LogWin" */
static ClassRecord* sOtherClass;    /* "OtherWin" */
static ClassRecord* sBoxClass;      /* "BoxCC", a ContainerControl */
static ClassRecord* sCanvasClass;   /* "LogCanvas" */
static ClassRecord* sControlClass;  /* "Control" */
static ClassRecord* sThreadClass;
static ObjectHeader* sApplication;
static ObjectHeader* sMain;
static ObjectHeader* sThread;
static int sScenario;
static int sCancelCount;   /* CancelClose answers true this many times */
static int sTrack;         /* MouseDown answers this */
static int sCloseIn;       /* 1: CreateControls closes the window, 2: Open, 3: MouseDown */
static int sRaiseIn;       /* 1: MouseDown raises */
static int sFrame;         /* the Frame the next OtherWin's Layout sets; 0 sets none */

enum { kOrder, kLater, kFrames, kEdges, kInput, kCancel, kQuitCancel, kImplicit, kCloseCreate,
       kCloseOpen, kCloseMouseDown, kRaise, kNativeDestroy, kAddInOpen, kShot, kScenarioCount };

/* The offsets the Name and Index property rows give their accessors. */
enum { kNameRow = 32, kIndexRow = 36 };

static void PrintName(ObjectHeader* control) {
    StringRecord* name = stringGetter(control, kNameRow);
    PrintString(name);
    RuntimeUnlockString(name);
}

static bool NameIs(ObjectHeader* control, const char* text) {
    StringRecord* name = stringGetter(control, kNameRow);
    bool equal = Equal(name, text) != 0;
    RuntimeUnlockString(name);
    return equal;
}

static void Token(const char* event, ObjectHeader* object) {
    Print(event);
    Print(":");
    if (object && RuntimeObjectIsa(object, sControlClass))
        PrintName(object);
    else if (object)
        PrintString(object->classPtr->name);
    Print(" ");
}

#define LOGGER(event)                                                        \
    static void QV_CDECL On##event(ObjectHeader* self) { Token(#event, self); }
LOGGER(SetupBindings)
LOGGER(Close)
LOGGER(Resized)

static ClassRecord* NewSubclass(const char* base, StringRecord* name) {
    ClassRecord* super = RuntimeLookupClass(base[0] == 'W'   ? QV_LITERAL("Window")
                                            : base[0] == 'C' ? QV_LITERAL("ContainerControl")
                                            : base[0] == 'T' ? QV_LITERAL("Thread")
                                                             : QV_LITERAL("Canvas"));
    /* base: "W" Window, "C" ContainerControl, "T" Thread, "K" Canvas. */
    ClassRecord* own = RuntimeNewClass(super, super->methodCount, super->interfaceCount,
                                       super->eventCount, super->accessorCount,
                                       super->propertyCount);
    own->name = name;
    own->instanceSize = super->instanceSize + 4;
    return own;
}

static ObjectHeader* NewCanvas(ObjectHeader* window, StringRecord* name, int32_t index,
                               int32_t left, int32_t top, int32_t width, int32_t height) {
    ObjectHeader* canvas = RuntimeNewObject(sCanvasClass);
    intSetter(canvas, kIndexRow, index);
    ctlPosSetter(canvas, 0, left);
    ctlPosSetter(canvas, 1, top);
    ctlPosSetter(canvas, 2, width);
    ctlPosSetter(canvas, 3, height);
    WindowAddControl(window, name, canvas);
    RuntimeUnlockObject(canvas);
    return canvas;
}

/* ---- window events ---- */

static void QV_CDECL OnWindowLayout(ObjectHeader* self) {
    Token("Layout", self);
    windowPosSetter(self, 0, 40);
    windowPosSetter(self, 1, 60);
    windowPosSetter(self, 2, 300);
    windowPosSetter(self, 3, 200);
    windowGrowIconSetter(self, 0, 1);
    WindowVisibleSetter(self, 0, 1);
    if (sScenario == kEdges) {
        Print("LayoutWidth=");
        PrintInt(windowPosGetter(self, 2));
        Print(" ");
    }
}

static void QV_CDECL OnWindowCreateControls(ObjectHeader* self) {
    Token("CreateControls", self);
    if (self->classPtr != sWindowClass) return;
    NewCanvas(self, QV_LITERAL("Left"), (int32_t)0x80000000, 10, 10, 100, 100);
    NewCanvas(self, QV_LITERAL("Right"), (int32_t)0x80000000, 60, 60, 100, 100);
    if (sScenario == kOrder || sScenario == kInput) {
        ObjectHeader* box = RuntimeNewObject(sBoxClass);
        WindowAddControl(self, QV_LITERAL("Box"), box);
        RuntimeUnlockObject(box);
    }
    if (sScenario == kEdges) {
        NewCanvas(self, QV_LITERAL("C"), 0, 200, 10, 10, 10);
        NewCanvas(self, QV_LITERAL("C"), 2, 220, 10, 10, 10);
    }
    if (sCloseIn == 1) RuntimeCloseWindow(self);
}

static void QV_CDECL OnBoxLayout(ObjectHeader* self) {
    Token("Layout", self);
    WindowVisibleSetter(self, 0, 1);
}

static void QV_CDECL OnBoxCreateControls(ObjectHeader* self) {
    Token("CreateControls", self);
    NewCanvas(self, QV_LITERAL("Inner"), (int32_t)0x80000000, 5, 5, 20, 20);
}

static void QV_CDECL OnAddMenuHandlers(ObjectHeader* self, ObjectHeader* source) {
    Token("AddMenuHandlers", self);
    (void)source;
}

static void QV_CDECL OnWindowOpen(ObjectHeader* self) {
    Token("Open", self);
    if (sCloseIn == 2 && self->classPtr == sWindowClass) RuntimeCloseWindow(self);
}

static bool QV_CDECL OnCancelClose(ObjectHeader* self, bool appQuitting) {
    Token(appQuitting ? "CancelClose(quitting)" : "CancelClose", self);
    if (sCancelCount > 0) {
        sCancelCount--;
        return 1;
    }
    return 0;
}

static bool QV_CDECL OnMouseDown(ObjectHeader* self, int32_t x, int32_t y) {
    Token("MouseDown", self);
    PrintInt(x);
    Print(",");
    PrintInt(y);
    Print(IsCMMClick() ? " contextual " : " ");
    if (sCloseIn == 3) {
        RuntimeCloseWindow(self);
        Print(WindowHandleGetter(self, 0) ? "Handle=open " : "Handle=0 ");
        Print("count=");
        PrintInt(getWindowCount());
        Print(" ");
    }
    if (sRaiseIn) {
        ObjectHeader* exception = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("RuntimeException")));
        RuntimeRaiseException(exception);
        RuntimeUnlockObject(exception);
        return 0;
    }
    return sTrack != 0;
}

static int sMouseUps;
static int sDragged;
static void QV_CDECL OnMouseDrag(ObjectHeader* self, int32_t x, int32_t y) {
    (void)x;
    (void)y;
    if (sDragged) return;
    sDragged = 1;
    Token("MouseDrag", self);
}

static void QV_CDECL OnMouseUp(ObjectHeader* self, int32_t x, int32_t y) {
    sMouseUps++;
    Token("MouseUp", self);
    (void)x;
    (void)y;
}

/* Every loop step may track the cursor again: only a control's first move after it was entered
 * is logged, the flag kept in the subclass's own field. */
static int32_t* MovedFlag(ObjectHeader* control) {
    return (int32_t*)((char*)control + sCanvasClass->super->instanceSize);
}
static void QV_CDECL OnMouseMove(ObjectHeader* self, int32_t x, int32_t y) {
    (void)x;
    (void)y;
    if (*MovedFlag(self)) return;
    *MovedFlag(self) = 1;
    Token("MouseMove", self);
}
static void QV_CDECL OnControlEnter(ObjectHeader* self) {
    *MovedFlag(self) = 0;
    Token("MouseEnter", self);
}
static void QV_CDECL OnControlExit(ObjectHeader* self) { Token("MouseExit", self); }

/* The guest answers false, so the key goes on to its host. */
static bool QV_CDECL OnKeyDown(ObjectHeader* self, StringRecord* key) {
    int32_t i;
    Token("KeyDown", self);
    for (i = 0; key && i < key->length; i++) {
        PrintInt(key->buffer[1 + i]);
        Print(".");
    }
    Print(" ");
    return self->classPtr != sBoxClass;
}

/* In addinopen, Left's Open adds a control: it gets its Open once, when it is added. */
static void QV_CDECL OnControlOpen(ObjectHeader* self) {
    Token("Open", self);
    if (sScenario == kAddInOpen && NameIs(self, "Left")) {
        ObjectHeader* window = controlWindowGetter(self, 0);
        NewCanvas(window, QV_LITERAL("Late"), (int32_t)0x80000000, 200, 100, 20, 20);
        RuntimeUnlockObject(window);
    }
}

/* ---- the driver ---- */

static void* Handle(ObjectHeader* window) { return (void*)(intptr_t)WindowHandleGetter(window, 0); }

static void Pause(int32_t milliseconds) { ThreadSleep(sThread, milliseconds, 0); }

static int32_t Pack(int32_t x, int32_t y) { return (y << 16) | (x & 0xFFFF); }

static void Post(uint32_t message, uint32_t wParam, int32_t lParam) {
    PostMessageA(Handle(sMain), message, wParam, lParam);
    Pause(150);
}

static void MoveCursorTo(int32_t x, int32_t y) {
    int32_t point[2];
    point[0] = x;
    point[1] = y;
    ClientToScreen(Handle(sMain), point);
    SetCursorPos(point[0], point[1]);
    Pause(200);
}

static void PrintFrame(const char* label, ObjectHeader* window) {
    int32_t exStyle = GetWindowLongA(Handle(window), kGwlExStyle);
    Print(label);
    Print((exStyle & kToolWindow) ? "=tool" : "=plain");
    Print((exStyle & kTopmost) ? "+topmost " : " ");
}

static ObjectHeader* NewWindowOf(ClassRecord* cls, int32_t frame) {
    ObjectHeader* window;
    (void)frame;
    window = RuntimeNewObject(cls);
    WindowDefaultConstructor(window);
    return window;
}

static void QV_CDECL ControlPastTheLast(ObjectHeader* volatile* raised) {
    (void)raised;
    RuntimeUnlockObject(windowControl(sMain, windowControlCountGetter(sMain, 0)));
}

static void QV_CDECL Drive(ObjectHeader* self) {
    ObjectHeader* caught = 0;
    ObjectHeader* g = 0;
    ObjectHeader* keeper = 0;
    int32_t rect[4];
    (void)self;
    Pause(300);
    switch (sScenario) {
    case kInput:
        SetForegroundWindow(Handle(sMain));
        Pause(200);
        MoveCursorTo(2, 2);
        MoveCursorTo(80, 80);    /* inside Left and Right */
        MoveCursorTo(150, 150);  /* inside Right only */
        MoveCursorTo(30, 30);    /* inside Left only */
        MoveCursorTo(250, 150);
        Print("| ");
        sTrack = 1;
        Post(kWmLButtonDown, 1, Pack(250, 150));
        Post(kWmLButtonUp, 0, Pack(250, 150));
        sTrack = 0;
        Post(kWmLButtonDown, 1, Pack(251, 150));
        Post(kWmLButtonUp, 0, Pack(251, 150));
        Post(kWmRButtonDown, 2, Pack(252, 150));
        Post(kWmRButtonUp, 0, Pack(252, 150));
        Post(kWmKeyDown, 'A', 1);
        Post(kWmKeyUp, 'A', (int32_t)0xC0000001);
        Post(kWmImeChar, 0xE9, 1);
        Print("| ");
        break;
    case kCancel:
        sCancelCount = 1;
        RuntimeCloseWindow(sMain);
        Print(Handle(sMain) ? "open " : "closed ");
        PrintInt(getWindowCount());
        Print(" ");
        sCancelCount = 1;
        Post(kWmClose, 0, 0);
        Print(Handle(sMain) ? "open " : "closed ");
        break;
    case kQuitCancel:
        sCancelCount = 1;
        Print(QV_ApplicationQuit(sApplication) ? "quit " : "quit-cancelled ");
        Print(Handle(sMain) ? "open " : "closed ");
        break;
    case kCloseMouseDown:
        sCloseIn = 3;
        Post(kWmLButtonDown, 1, Pack(250, 150));
        /* The handler reports; the application may end before this thread runs again. */
        return;
    case kRaise:
        sRaiseIn = 1;
        Post(kWmLButtonDown, 1, Pack(250, 150));
        Post(kWmLButtonUp, 0, Pack(250, 150));
        sRaiseIn = 0;
        break;
    case kShot: {
        /* The client area on the screen: a capture taken from outside reads the back colour
         * there; then the real pointer and keyboard (xdotool) press, drag, release and type. */
        int32_t point[2];
        int32_t waited;
        point[0] = 0;
        point[1] = 0;
        ObjectHeader* backdrop = RuntimeGetBitmapFromResourceManager(128);
        windowBackColorSetter(sMain, 0, 0xFF0000);
        windowHasBackColorSetter(sMain, 0, 1);
        windowBackdropSetter(sMain, 0, backdrop);
        RuntimeUnlockObject(backdrop);
        Pause(500);
        ClientToScreen(Handle(sMain), point);
        Print(point[0] == windowPosGetter(sMain, 0) && point[1] == windowPosGetter(sMain, 1)
                  ? "bounds=client "
                  : "bounds=elsewhere ");
        Print("origin=");
        PrintInt(point[0]);
        Print(",");
        PrintInt(point[1]);
        Print(" \n");
        sTrack = 1;
        for (waited = 0; !sMouseUps && waited < 60; waited++) Pause(500);
        Pause(1500);
        break;
    }
    case kNativeDestroy:
        sCancelCount = 1;
        DestroyWindow(Handle(sMain));
        Print(Handle(sMain) ? "open " : "closed ");
        return;
    case kEdges:
        GetClientRect(Handle(sMain), rect);
        Print("client=");
        PrintInt(rect[2]);
        Print(" ");
        windowPosSetter(sMain, 2, 333);
        GetClientRect(Handle(sMain), rect);
        Print("Width333client=");
        PrintInt(rect[2]);
        Print(" ");
        windowMinMaxWidthHeightSetter(sMain, 0, 70000);
        Print("MinWidth=");
        PrintInt(windowMinMaxWidthHeightGetter(sMain, 0));
        Print(" ");
        {
            ObjectHeader* added = NewCanvas(sMain, QV_LITERAL("C"), 0, 240, 10, 10, 10);
            Print("runtimeIndex=");
            PrintInt(intGetter(added, kIndexRow));
            Print(" ");
        }
        Print("ControlCount=");
        PrintInt(windowControlCountGetter(sMain, 0));
        Print(QvTry(ControlPastTheLast, &caught) == 2 ? " Control(ControlCount)=" : " Control(ControlCount)=none ");
        if (caught) {
            PrintString(caught->classPtr->name);
            Print(" ");
            RuntimeUnlockObject(caught);
        }
        windowFullScreenSetter(sMain, 0, 1);
        Pause(200);
        {
            int32_t left = windowPosGetter(sMain, 0);
            windowPosSetter(sMain, 0, left + 17);
            Print(windowPosGetter(sMain, 0) == left ? "FullScreenFrozen " : "FullScreenMoved ");
        }
        windowFullScreenSetter(sMain, 0, 0);
        Pause(200);
        break;
    default:
        break;
    }
    /* A second window keeps the application running while the closed one is examined. */
    if (sScenario == kEdges) {
        g = windowGraphicsGetter(sMain, 0);
        keeper = RuntimeNewObject(sOtherClass);
    }
    Post(kWmClose, 0, 0);
    if (sScenario == kEdges) {
        RuntimeGraphicsDrawLine(g, 0, 0, 50, 50);
        Print("GraphicsAfterClose=drew-nothing ");
        RuntimeUnlockObject(g);
        int32_t left = windowPosGetter(sMain, 0);
        WindowMove(sMain, left + 5, 0, 10, 10);
        Print(windowPosGetter(sMain, 0) == left ? "MoveWithoutPane=unchanged " : "MoveWithoutPane=moved ");
        windowPosSetter(sMain, 0, left + 5);
        Print(windowPosGetter(sMain, 0) == left + 5 ? "LeftWithoutPane=set " : "LeftWithoutPane=kept ");
        Print(Handle(sMain) ? "Handle=open " : "Handle=0 ");
        RuntimeCloseWindow(keeper);
        RuntimeUnlockObject(keeper);
    }
}

static void StartDriver(void) {
    sThread = RuntimeNewObject(sThreadClass);
    threadRun(sThread);
}

/* ---- scenarios that need no driver ---- */

static void Frames(void) {
    ObjectHeader* first = RuntimeNewObject(sOtherClass);
    ObjectHeader* second = RuntimeNewObject(sOtherClass);
    ObjectHeader* floating;
    ObjectHeader* global;
    ObjectHeader* odd;
    WindowDefaultConstructor(first);
    WindowDefaultConstructor(second);
    Print(windowPosGetter(second, 0) > windowPosGetter(first, 0) &&
                  windowPosGetter(second, 1) > windowPosGetter(first, 1)
              ? "documents=staggered "
              : "documents=same ");
    PrintFrame("document", first);
    sFrame = 3;
    floating = RuntimeNewObject(sOtherClass);
    PrintFrame("floating", floating);
    sFrame = 7;
    global = RuntimeNewObject(sOtherClass);
    PrintFrame("global", global);
    sFrame = 99;
    odd = RuntimeNewObject(sOtherClass);
    PrintFrame("frame99", odd);
    RuntimeCloseWindow(first);
    RuntimeCloseWindow(second);
    RuntimeCloseWindow(floating);
    RuntimeCloseWindow(global);
    RuntimeCloseWindow(odd);
    RuntimeUnlockObject(first);
    RuntimeUnlockObject(second);
    RuntimeUnlockObject(floating);
    RuntimeUnlockObject(global);
    RuntimeUnlockObject(odd);
}

static void QV_CDECL OnOtherLayout(ObjectHeader* self) {
    windowPosSetter(self, 2, 120);
    windowPosSetter(self, 3, 80);
    WindowVisibleSetter(self, 0, 1);
    if (sFrame) windowFrameSetter(self, 0, sFrame);
}

static void Implicit(void) {
    ObjectHeader* a = RuntimeGetImplicitWindow(QV_LITERAL("OtherWin"));
    ObjectHeader* made;
    ObjectHeader* again;
    ObjectHeader* b;
    Print(a ? "first=instance " : "first=nil ");
    made = RuntimeNewObject(sOtherClass);
    again = RuntimeGetImplicitWindow(QV_LITERAL("otherwin"));
    Print(again == made ? "second=same " : "second=other ");
    RuntimeCloseWindow(made);
    b = RuntimeGetImplicitWindow(QV_LITERAL("OtherWin"));
    Print(b ? "afterClose=instance " : "afterClose=nil ");
    RuntimeUnlockObject(again);
    RuntimeUnlockObject(made);
}

static void Later(void) {
    ObjectHeader* box;
    ObjectHeader* left;
    sMain = NewWindowOf(sWindowClass, 0);
    Print("| ");
    box = RuntimeNewObject(sBoxClass);
    left = RuntimeLookupClass(QV_LITERAL("Canvas")) ? windowControl(sMain, 0) : 0;
    EmbedWithinPanel(box, left, 2, 5, 5, -1, -1);
    Print("TabPanelIndex=");
    PrintInt(eWindowIntPassThroughGetter(box, 0));
    Print(" | ");
    RuntimeUnlockObject(left);
    RuntimeUnlockObject(box);
    RuntimeCloseWindow(sMain);
}

/* ---- the application ---- */

static void QV_CDECL OnAppOpen(ObjectHeader* self) {
    (void)self;
    switch (sScenario) {
    case kFrames: Frames(); return;
    case kImplicit: Implicit(); return;
    case kLater: Later(); return;
    case kCloseCreate: sCloseIn = 1; break;
    case kCloseOpen: sCloseIn = 2; break;
    default: break;
    }
    sMain = NewWindowOf(sWindowClass, 0);
    if (sCloseIn == 1 || sCloseIn == 2) {
        Print(Handle(sMain) ? "open " : "closed ");
        Print(sMain->refCount > 0 ? "valid " : "freed ");
        return;
    }
    StartDriver();
}

static bool QV_CDECL OnUnhandled(ObjectHeader* self, ObjectHeader* exception) {
    (void)self;
    Print("UnhandledException:");
    PrintString(exception->classPtr->name);
    Print(" ");
    return 1;
}

static void QV_CDECL OnAppClose(ObjectHeader* self) {
    (void)self;
    Print("AppClose");
}

static int ScenarioFromEnvironment(void) {
    if (EnvironmentIs("QV_SCENARIO", "later")) return kLater;
    if (EnvironmentIs("QV_SCENARIO", "frames")) return kFrames;
    if (EnvironmentIs("QV_SCENARIO", "edges")) return kEdges;
    if (EnvironmentIs("QV_SCENARIO", "input")) return kInput;
    if (EnvironmentIs("QV_SCENARIO", "cancel")) return kCancel;
    if (EnvironmentIs("QV_SCENARIO", "quitcancel")) return kQuitCancel;
    if (EnvironmentIs("QV_SCENARIO", "implicit")) return kImplicit;
    if (EnvironmentIs("QV_SCENARIO", "closecreate")) return kCloseCreate;
    if (EnvironmentIs("QV_SCENARIO", "closeopen")) return kCloseOpen;
    if (EnvironmentIs("QV_SCENARIO", "closemousedown")) return kCloseMouseDown;
    if (EnvironmentIs("QV_SCENARIO", "raise")) return kRaise;
    if (EnvironmentIs("QV_SCENARIO", "nativedestroy")) return kNativeDestroy;
    if (EnvironmentIs("QV_SCENARIO", "addinopen")) return kAddInOpen;
    if (EnvironmentIs("QV_SCENARIO", "shot")) return kShot;
    return kOrder;
}

void QvMain(void) {
    ClassRecord* appClass;
    ClassRecord* base;
    int32_t i;

    RuntimeInit();
    RuntimeInitExternalClasses();
    sScenario = ScenarioFromEnvironment();
    /* The pointer is shared with earlier runs and tests (a popup test leaves it over this
       window's place): it starts off every window, so that the first events are those the
       driver's moves make; the screenshot scenario leaves it to the real pointer. */
    if (sScenario != kShot) SetCursorPos(0, 0);
    sControlClass = RuntimeLookupClass(QV_LITERAL("Control"));

    sWindowClass = NewSubclass("W", QV_LITERAL("LogWin"));
    SetEventHandler(sWindowClass, "Layout", (void*)OnWindowLayout);
    SetEventHandler(sWindowClass, "CreateControls", (void*)OnWindowCreateControls);
    SetEventHandler(sWindowClass, "AddMenuHandlers", (void*)OnAddMenuHandlers);
    SetEventHandler(sWindowClass, "SetupBindings", (void*)OnSetupBindings);
    SetEventHandler(sWindowClass, "Open", (void*)OnWindowOpen);
    SetEventHandler(sWindowClass, "Close", (void*)OnClose);
    SetEventHandler(sWindowClass, "CancelClose", (void*)OnCancelClose);
    SetEventHandler(sWindowClass, "MouseDown", (void*)OnMouseDown);
    SetEventHandler(sWindowClass, "MouseUp", (void*)OnMouseUp);
    SetEventHandler(sWindowClass, "MouseDrag", (void*)OnMouseDrag);
    SetEventHandler(sWindowClass, "KeyDown", (void*)OnKeyDown);
    SetEventHandler(sWindowClass, "Resized", (void*)OnResized);

    sOtherClass = NewSubclass("W", QV_LITERAL("OtherWin"));
    SetEventHandler(sOtherClass, "Layout", (void*)OnOtherLayout);

    sBoxClass = NewSubclass("C", QV_LITERAL("BoxCC"));
    SetEventHandler(sBoxClass, "Layout", (void*)OnBoxLayout);
    SetEventHandler(sBoxClass, "CreateControls", (void*)OnBoxCreateControls);
    SetEventHandler(sBoxClass, "AddMenuHandlers", (void*)OnAddMenuHandlers);
    SetEventHandler(sBoxClass, "Open", (void*)OnWindowOpen);
    SetEventHandler(sBoxClass, "Close", (void*)OnClose);
    SetEventHandler(sBoxClass, "KeyDown", (void*)OnKeyDown);

    sCanvasClass = NewSubclass("K", QV_LITERAL("LogCanvas"));
    SetEventHandler(sCanvasClass, "Open", (void*)OnControlOpen);
    SetEventHandler(sCanvasClass, "Close", (void*)OnClose);
    SetEventHandler(sCanvasClass, "MouseEnter", (void*)OnControlEnter);
    SetEventHandler(sCanvasClass, "MouseExit", (void*)OnControlExit);
    SetEventHandler(sCanvasClass, "MouseMove", (void*)OnMouseMove);

    sThreadClass = NewSubclass("T", QV_LITERAL("Driver"));
    SetEventHandler(sThreadClass, "Run", (void*)Drive);

    base = RuntimeLookupClass(QV_LITERAL("Application"));
    appClass = RuntimeNewClass(base, base->methodCount, base->interfaceCount, base->eventCount,
                               base->accessorCount, base->propertyCount);
    appClass->name = QV_LITERAL("WindowLogApp");
    appClass->instanceSize = base->instanceSize;
    SetEventHandler(appClass, "Open", (void*)OnAppOpen);
    SetEventHandler(appClass, "Close", (void*)OnAppClose);
    SetEventHandler(appClass, "UnhandledException", (void*)OnUnhandled);
    sApplication = RuntimeNewObject(appClass);
    for (i = 0; i < appClass->propertyCount; i++)
        if (Equal(appClass->properties[i].descriptor, "AutoQuit%b%"))
            ((void(QV_CDECL*)(ObjectHeader*, int32_t, int32_t))appClass->properties[i].setter)(
                sApplication, appClass->properties[i].parameter, 1);
    RuntimeRegisterAppObject(sApplication);
    RuntimeRun();
    RuntimeUnlockObject(sThread);
    RuntimeUnlockObject(sMain);
    RuntimeUnlockObject(sApplication);
    Print("\n");
    RuntimeExit();
}
