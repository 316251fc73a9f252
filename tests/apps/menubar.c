/* A menu bar built as compiled code builds one: a _MenuBarInstaller subclass whose _Install fills
 * the bar that a Window's __New hands it (titles, items with command keys, a QuitMenuItem); the
 * window's, the application's and the items' handlers log every call on one line. QV_SCENARIO
 * picks what a driver thread does while the event loop runs: it presses shortcuts (posted keys
 * with the keyboard state held, as the key-translation tests do) or chooses items (posted
 * WM_COMMANDs), one step after another, each step opened by "|". Menu enabling is logged only
 * inside the steps. */
#include "AppSupport.h"

QV_DECLARE_FUNCTION(user32, PostMessageA, int32_t,
                    (void* window, uint32_t message, uint32_t wParam, int32_t lParam));
QV_DECLARE_FUNCTION(user32, SetKeyboardState, int32_t, (unsigned char* state));
QV_DECLARE_FUNCTION(user32, SetForegroundWindow, int32_t, (void* window));
QV_DECLARE_FUNCTION(user32, GetMenu, void*, (void* window));
QV_DECLARE_FUNCTION(user32, GetSubMenu, void*, (void* menu, int32_t position));
QV_DECLARE_FUNCTION(user32, GetMenuItemCount, int32_t, (void* menu));
QV_DECLARE_FUNCTION(user32, GetMenuItemID, uint32_t, (void* menu, int32_t position));
QV_DECLARE_FUNCTION(user32, GetMenuStringA, int32_t,
                    (void* menu, uint32_t item, char* text, int32_t size, uint32_t flags));
QV_DECLARE_FUNCTION(user32, GetMenuState, uint32_t, (void* menu, uint32_t item, uint32_t flags));

void QV_CDECL RuntimeRegisterAppObject(ObjectHeader* application);
void QV_CDECL RuntimeRun(void);
void QV_CDECL enableMenuItems(void);
ObjectHeader* QV_CDECL WindowAllocateObject(ObjectHeader* window, ClassRecord* classRecord);
void QV_CDECL RuntimeMenuItemNameSetter(ObjectHeader* item, int32_t parameter, StringRecord* value);
StringRecord* QV_CDECL RuntimeMenuItemNameGetter(ObjectHeader* item, int32_t parameter);
void QV_CDECL RuntimeMenuItemTextSetter(ObjectHeader* item, int32_t parameter, StringRecord* value);
void QV_CDECL RuntimeMenuItemCommandKeySetter(ObjectHeader* item, int32_t parameter,
                                              StringRecord* value);
int32_t QV_CDECL RuntimeMenuItemIndexGetter(ObjectHeader* item, int32_t parameter);
void QV_CDECL RuntimeMenuItemAppend(ObjectHeader* item, ObjectHeader* child);
void QV_CDECL RuntimeMenuItemInsert(ObjectHeader* item, int32_t index, ObjectHeader* child);
int32_t QV_CDECL RuntimeMenuItemCount(ObjectHeader* item);
ObjectHeader* QV_CDECL RuntimeMenuItemItem(ObjectHeader* item, int32_t index);
ObjectHeader* QV_CDECL RuntimeMenuItemLookup(ObjectHeader* item, StringRecord* name);
void QV_CDECL RuntimeCloseMenuItem(ObjectHeader* item);
void QV_CDECL MenuBarInstallClone(ObjectHeader* menuBar, ObjectHeader* installThis);

enum {
    kWmClose = 0x10, kWmKeyDown = 0x100, kWmCommand = 0x111, kMfByPosition = 0x400,
    kMfGrayed = 0x1, kVkControl = 0x11
};

enum { kOrder, kEdges, kQuit, kQuitPlain, kAppBar };

static ClassRecord* sMenuWinClass;   /* "MenuWin": its MenuBar filled by the installer */
static ClassRecord* sPlainWinClass;  /* "PlainWin": no MenuBar of its own */
static ClassRecord* sInstallerClass; /* "MainMenuInstaller", a _MenuBarInstaller */
static ClassRecord* sMenuBarClass;
static ClassRecord* sMenuItemClass;
static ClassRecord* sActingClass;    /* "ActingItem": a MenuItem with an Action handler */
static ClassRecord* sQuitClass;      /* "AppQuit": a QuitMenuItem with its own Action handler */
static ClassRecord* sPlainQuitClass; /* QuitMenuItem itself */
static ClassRecord* sThreadClass;
static ObjectHeader* sApplication;
static ObjectHeader* sMain;
static ObjectHeader* sThread;
static int sScenario;
static int sInStep;  /* menu enabling is logged only inside a driver step */
/* What the handlers answer. */
static int sWindowAnswer, sAppAnswer, sActionAnswer, sQuitAnswer;

/* ---- the class tables, as compiled code reads them ---- */

static int StartsWith(StringRecord* record, const char* prefix) {
    int32_t i;
    if (!record) return 0;
    for (i = 0; prefix[i]; i++)
        if (i >= record->length || record->buffer[1 + i] != (unsigned char)prefix[i]) return 0;
    return 1;
}

/* The property whose descriptor starts with name + "%". */
static PropertySlot* Property(ClassRecord* cls, const char* prefix) {
    int32_t i;
    for (i = 0; i < cls->propertyCount; i++)
        if (StartsWith(cls->properties[i].descriptor, prefix)) return &cls->properties[i];
    return 0;
}

static void SetObjectProperty(ObjectHeader* object, const char* prefix, ObjectHeader* value) {
    PropertySlot* slot = Property(object->classPtr, prefix);
    ((void(QV_CDECL*)(ObjectHeader*, int32_t, ObjectHeader*))slot->setter)(object, slot->parameter,
                                                                         value);
}

static void SetBooleanProperty(ObjectHeader* object, const char* prefix, int32_t value) {
    PropertySlot* slot = Property(object->classPtr, prefix);
    ((void(QV_CDECL*)(ObjectHeader*, int32_t, int32_t))slot->setter)(object, slot->parameter, value);
}

/* The method of a built-in class whose link signature starts with name + "%". */
/* Window.MenuBar, with a reference for the caller. */
static ObjectHeader* WindowMenuBarOf(ObjectHeader* window) {
    PropertySlot* slot = Property(window->classPtr, "MenuBar%");
    return ((ObjectHeader*(QV_CDECL*)(ObjectHeader*, int32_t))slot->getter)(window, slot->parameter);
}

static void* Accessor(ClassRecord* cls, const char* prefix) {
    int32_t i;
    for (i = 0; i < cls->accessorCount; i++)
        if (StartsWith(cls->accessors[i].signature, prefix)) return cls->accessors[i].function;
    return 0;
}

/* A subclass; its own event of that name (the last one: QuitMenuItem's Action, not MenuItem's
 * that QuitMenuItem implements itself) gets the handler. */
static ClassRecord* NewSubclass(ClassRecord* base, StringRecord* name, int32_t extraMethods) {
    ClassRecord* own = RuntimeNewClass(base, base->methodCount + extraMethods,
                                       base->interfaceCount, base->eventCount,
                                       base->accessorCount, base->propertyCount);
    own->name = name;
    own->instanceSize = base->instanceSize;
    return own;
}

static void Handle(ClassRecord* own, const char* event, void* handler) {
    int32_t i;
    for (i = own->eventCount - 1; i >= 0; i--)
        if (Equal(own->events[i].name, event)) {
            own->events[i].vector = handler;
            return;
        }
}

/* ---- logging ---- */

static void Token(const char* what, StringRecord* name) {
    Print(what);
    if (name) {
        Print(":");
        PrintString(name);
    }
    Print(" ");
}

static StringRecord* ItemName(ObjectHeader* item) {
    StringRecord* name = RuntimeMenuItemNameGetter(item, 0);
    RuntimeUnlockString(name); /* the item keeps its own reference */
    return name;
}

/* "Name@Index" of a handler call. */
static void HandlerToken(const char* who, StringRecord* name, int32_t index) {
    Print(who);
    Print(":");
    PrintString(name);
    Print("@");
    PrintInt(index);
    Print(" ");
}

/* The native entry of a menu, its tab shown as "<TAB>". */
static void PrintNative(void* menu, int32_t position) {
    char text[128];
    int32_t count = GetMenuStringA(menu, (uint32_t)position, text, sizeof text, kMfByPosition);
    int32_t i;
    for (i = 0; i < count; i++) {
        if (text[i] == '\t')
            Print("<TAB>");
        else
            Write(&text[i], 1);
    }
}

/* ---- handlers ---- */

static bool QV_CDECL WindowEditCopy(ObjectHeader* owner, int32_t index) {
    HandlerToken("Win", owner->classPtr->name, index);
    return sWindowAnswer != 0;
}

static bool QV_CDECL WindowEditPaste(ObjectHeader* owner, int32_t index) {
    HandlerToken("Win", owner->classPtr->name, index);
    return 1;
}

static bool QV_CDECL AppEditCopy(ObjectHeader* owner, int32_t index) {
    HandlerToken("App", owner->classPtr->name, index);
    return sAppAnswer != 0;
}

static bool QV_CDECL OnItemAction(ObjectHeader* item) {
    Token("Action", ItemName(item));
    return sActionAnswer != 0;
}

static bool QV_CDECL OnQuitAction(ObjectHeader* item) {
    Token("QuitAction", ItemName(item));
    return sQuitAnswer != 0;
}

/* ---- the installer ---- */

static ObjectHeader* NewItem(ObjectHeader* parent, ClassRecord* cls, StringRecord* name,
                             StringRecord* text, StringRecord* key) {
    ObjectHeader* item = RuntimeNewObject(cls);
    RuntimeMenuItemNameSetter(item, 0, name);
    RuntimeMenuItemTextSetter(item, 0, text);
    if (key) RuntimeMenuItemCommandKeySetter(item, 0, key);
    if (parent) {
        RuntimeMenuItemAppend(parent, item);
        RuntimeUnlockObject(item);
    }
    return item;
}

/* MainMenuInstaller._Install(owner As MenuBar): File > Exit (Ctrl+Q), Quit now; Edit > Copy
 * (Ctrl+C), Paste (Ctrl+V). */
static void QV_CDECL Install(ObjectHeader* self, ObjectHeader* owner) {
    ObjectHeader* file = NewItem(owner, sMenuItemClass, QV_LITERAL("FileMenu"), QV_LITERAL("&File"), 0);
    ObjectHeader* edit = NewItem(owner, sMenuItemClass, QV_LITERAL("EditMenu"), QV_LITERAL("&Edit"), 0);
    (void)self;
    NewItem(file, sQuitClass, QV_LITERAL("FileQuit"), QV_LITERAL("E&xit"), QV_LITERAL("Q"));
    NewItem(file, sPlainQuitClass, QV_LITERAL("FileQuitNow"), QV_LITERAL("&Quit now"), 0);
    NewItem(edit, sActingClass, QV_LITERAL("EditCopy"), QV_LITERAL("&Copy"), QV_LITERAL("C"));
    NewItem(edit, sMenuItemClass, QV_LITERAL("EditPaste"), QV_LITERAL("&Paste"), QV_LITERAL("V"));
}

/* ---- windows ---- */

static void QV_CDECL OnMenuWinLayout(ObjectHeader* self) {
    ObjectHeader* bar = RuntimeNewObject(sMenuBarClass);
    ObjectHeader* installer;
    windowPosSetter(self, 0, 40);
    windowPosSetter(self, 1, 60);
    windowPosSetter(self, 2, 300);
    windowPosSetter(self, 3, 200);
    WindowVisibleSetter(self, 0, 1);
    SetBooleanProperty(self, "MenuBarVisible%", 1);
    /* MenuBar = new MenuBar, then Self.__New(MainMenuInstaller) fills it. */
    SetObjectProperty(self, "MenuBar%", bar);
    RuntimeUnlockObject(bar);
    installer = WindowAllocateObject(self, sInstallerClass);
    RuntimeUnlockObject(installer);
}

static void QV_CDECL OnPlainWinLayout(ObjectHeader* self) {
    windowPosSetter(self, 0, 40);
    windowPosSetter(self, 1, 60);
    windowPosSetter(self, 2, 300);
    windowPosSetter(self, 3, 200);
    WindowVisibleSetter(self, 0, 1);
    SetBooleanProperty(self, "MenuBarVisible%", 1);
}

static void QV_CDECL OnMenuWinAddMenuHandlers(ObjectHeader* self, ObjectHeader* source) {
    (void)self;
    WindowAddMenuHandler(source, QV_LITERAL("EditCopy"), (void*)WindowEditCopy);
}

static void QV_CDECL OnPlainWinAddMenuHandlers(ObjectHeader* self, ObjectHeader* source) {
    (void)self;
    WindowAddMenuHandler(source, QV_LITERAL("editpaste"), (void*)WindowEditPaste);
}

static void QV_CDECL OnWindowEnableMenuItems(ObjectHeader* self) {
    if (sInStep) Token("Enabling", self->classPtr->name);
}

static bool QV_CDECL OnWindowKeyDown(ObjectHeader* self, StringRecord* key) {
    Token("KeyDown", self->classPtr->name);
    if (key && key->length) {
        PrintInt(key->buffer[1]);
        Print(" ");
    }
    return 1;
}

static bool QV_CDECL OnCancelClose(ObjectHeader* self, bool appQuitting) {
    Token(appQuitting ? "CancelClose(quitting)" : "CancelClose", self->classPtr->name);
    return 0;
}

static void QV_CDECL OnWindowClose(ObjectHeader* self) { Token("Close", self->classPtr->name); }

/* ---- the driver ---- */

static void* Hwnd(ObjectHeader* window) { return (void*)(intptr_t)WindowHandleGetter(window, 0); }

static void Pause(int32_t milliseconds) { ThreadSleep(sThread, milliseconds, 0); }

static void Step(const char* label) {
    Print("| ");
    Print(label);
    Print(" ");
}

/* Ctrl and the key as GetKeyState reads them while the posted press is translated. */
static void PressWithControl(char key) {
    unsigned char state[256];
    int32_t i;
    for (i = 0; i < 256; i++) state[i] = 0;
    state[kVkControl] = 0x80;
    SetKeyboardState(state);
    sInStep = 1;
    PostMessageA(Hwnd(sMain), kWmKeyDown, (uint32_t)key, 1);
    Pause(200);
    sInStep = 0;
    state[kVkControl] = 0;
    SetKeyboardState(state);
}

/* The native menu of a title of the window's bar. */
static void* TitleMenu(int32_t title) { return GetSubMenu(GetMenu(Hwnd(sMain)), title); }

static void Choose(int32_t title, int32_t position) {
    sInStep = 1;
    PostMessageA(Hwnd(sMain), kWmCommand, GetMenuItemID(TitleMenu(title), position), 0);
    Pause(200);
    sInStep = 0;
}

static void SetAnswers(int window, int app, int action) {
    sWindowAnswer = window;
    sAppAnswer = app;
    sActionAnswer = action;
}

static void QV_CDECL ItemPastTheLast(ObjectHeader* volatile* raised) {
    ObjectHeader* bar = WindowMenuBarOf(sMain);
    (void)raised;
    RuntimeUnlockObject(RuntimeMenuItemItem(bar, RuntimeMenuItemCount(bar)));
    RuntimeUnlockObject(bar);
}

static void Order(void) {
    void* bar = GetMenu(Hwnd(sMain));
    Step("native");
    PrintNative(bar, 0);
    Print(",");
    PrintNative(bar, 1);
    Print(" ");
    PrintNative(TitleMenu(1), 0);
    Print(",");
    PrintNative(TitleMenu(1), 1);
    Print(GetMenuState(TitleMenu(1), 1, kMfByPosition) & kMfGrayed ? " grey " : " enabled ");
    /* The window's handler, then the application's, then Action, each answering false in turn. */
    Step("window");
    SetAnswers(1, 1, 1);
    PressWithControl('C');
    Step("app");
    SetAnswers(0, 1, 1);
    PressWithControl('C');
    Step("action");
    SetAnswers(0, 0, 1);
    PressWithControl('C');
    Step("none");
    SetAnswers(0, 0, 0);
    PressWithControl('C');
    /* Paste has no handler: enabling greys it and its shortcut is an ordinary key. */
    Step("greyed");
    PressWithControl('V');
    /* Chosen from the menu: no enabling before, the same handlers. */
    Step("chosen");
    SetAnswers(1, 0, 0);
    Choose(1, 0);
    Print(GetMenuState(TitleMenu(1), 1, kMfByPosition) & kMfGrayed ? "| grey " : "| enabled ");
}

static void Edges(void) {
    ObjectHeader* bar = WindowMenuBarOf(sMain);
    ObjectHeader* edit = RuntimeMenuItemItem(bar, 1);
    ObjectHeader* found;
    ObjectHeader* first;
    ObjectHeader* caught = 0;
    ObjectHeader* all;
    ObjectHeader* clone;
    SetAnswers(1, 0, 1);
    /* _Lookup searches depth first in menu order, in any letter case, for items without index. */
    Step("lookup");
    found = RuntimeMenuItemLookup(bar, QV_LITERAL("EDITCOPY"));
    first = RuntimeMenuItemItem(edit, 0);
    PrintString(found ? ItemName(found) : QV_LITERAL("nil"));
    Print(found && found == first ? " first " : " other ");
    RuntimeUnlockObject(first);
    RuntimeUnlockObject(found);
    Step("item");
    Print(QvTry(ItemPastTheLast, &caught) == 2 ? "Item(Count)=" : "Item(Count)=none ");
    if (caught) {
        PrintString(caught->classPtr->name);
        Print(" ");
        RuntimeUnlockObject(caught);
    }
    /* Insert(Count, item) appends, natively too, and its shortcut works at once. */
    Step("insert");
    all = NewItem(0, sActingClass, QV_LITERAL("EditAll"), QV_LITERAL("Select &All"), QV_LITERAL("A"));
    RuntimeMenuItemInsert(edit, RuntimeMenuItemCount(edit), all);
    PrintInt(RuntimeMenuItemCount(edit));
    Print("/");
    PrintInt(GetMenuItemCount(TitleMenu(1)));
    Print(" ");
    PrintNative(TitleMenu(1), 2);
    Print(" ");
    PressWithControl('A');
    /* Close looks in the Application's bar only: the window's bar keeps the item. */
    Step("close");
    RuntimeCloseMenuItem(all);
    PrintInt(RuntimeMenuItemCount(edit));
    Print("/");
    PrintInt(GetMenuItemCount(TitleMenu(1)));
    Print(" ");
    RuntimeUnlockObject(all);
    /* A clone goes after its namesake with the next index, which its handler gets. */
    Step("clone");
    clone = NewItem(0, sActingClass, QV_LITERAL("EditCopy"), QV_LITERAL("Copy &again"), 0);
    MenuBarInstallClone(bar, clone);
    Print("index=");
    PrintInt(RuntimeMenuItemIndexGetter(clone, 0));
    Print(" ");
    PrintNative(TitleMenu(1), 1);
    Print(" ");
    Choose(1, 1);
    RuntimeUnlockObject(clone);
    RuntimeUnlockObject(edit);
    RuntimeUnlockObject(bar);
}

static void QV_CDECL Drive(ObjectHeader* self) {
    (void)self;
    Pause(300);
    SetForegroundWindow(Hwnd(sMain));
    Pause(200);
    switch (sScenario) {
    case kOrder: Order(); break;
    case kEdges: Edges(); break;
    case kQuit:
        /* Exit's own Action answers true: no quitting; then false: the application quits. */
        Step("kept");
        sQuitAnswer = 1;
        PressWithControl('Q');
        Print(Hwnd(sMain) ? "open " : "closed ");
        Step("quits");
        sQuitAnswer = 0;
        PressWithControl('Q');
        return;
    case kQuitPlain:
        Step("quits");
        Choose(0, 1);
        return;
    case kAppBar:
        Print(GetMenu(Hwnd(sMain)) ? "attached " : "not-attached ");
        Step("app");
        SetAnswers(0, 1, 0);
        PressWithControl('C');
        /* Enabling before the window opened greyed Paste; with the window in front its handler
           enables it again. */
        Step("window");
        PressWithControl('V');
        break;
    default: break;
    }
    Step("end");
    PostMessageA(Hwnd(sMain), kWmClose, 0, 0);
}

/* ---- the application ---- */

static void QV_CDECL OnAppOpen(ObjectHeader* self) {
    ((void(QV_CDECL*)(ObjectHeader*, StringRecord*, void*))Accessor(self->classPtr,
                                                                    "_AddMenuHandler%"))(
        self, QV_LITERAL("EditCopy"), (void*)AppEditCopy);
    if (sScenario == kAppBar) {
        /* The Application's bar, built by the same installer; menu enabling runs before any
           window exists. */
        ObjectHeader* bar = RuntimeNewObject(sMenuBarClass);
        Install(0, bar);
        SetObjectProperty(self, "MenuBar%", bar);
        RuntimeUnlockObject(bar);
        enableMenuItems();
        sMain = RuntimeNewObject(sPlainWinClass);
    } else {
        sMain = RuntimeNewObject(sMenuWinClass);
    }
    WindowDefaultConstructor(sMain);
    sThread = RuntimeNewObject(sThreadClass);
    threadRun(sThread);
}

static void QV_CDECL OnAppEnableMenuItems(ObjectHeader* self) {
    if (sInStep) Token("Enabling", self->classPtr->name);
}

static bool QV_CDECL OnUnhandled(ObjectHeader* self, ObjectHeader* exception) {
    (void)self;
    Token("UnhandledException", exception->classPtr->name);
    return 1;
}

static void QV_CDECL OnAppClose(ObjectHeader* self) {
    (void)self;
    Print("AppClose");
}

static int ScenarioFromEnvironment(void) {
    if (EnvironmentIs("QV_SCENARIO", "edges")) return kEdges;
    if (EnvironmentIs("QV_SCENARIO", "quit")) return kQuit;
    if (EnvironmentIs("QV_SCENARIO", "quitplain")) return kQuitPlain;
    if (EnvironmentIs("QV_SCENARIO", "appbar")) return kAppBar;
    return kOrder;
}

static ClassRecord* Class(StringRecord* name) { return RuntimeLookupClass(name); }

void QvMain(void) {
    ClassRecord* window;
    ClassRecord* installerBase;
    ClassRecord* appClass;

    RuntimeInit();
    RuntimeInitExternalClasses();
    sScenario = ScenarioFromEnvironment();

    sMenuBarClass = Class(QV_LITERAL("MenuBar"));
    sMenuItemClass = Class(QV_LITERAL("MenuItem"));
    sPlainQuitClass = Class(QV_LITERAL("QuitMenuItem"));
    if (!sPlainQuitClass) {
        Print("QuitMenuItem: no such class\n");
        RuntimeExit();
        return;
    }
    sActingClass = NewSubclass(sMenuItemClass, QV_LITERAL("ActingItem"), 0);
    Handle(sActingClass, "Action", (void*)OnItemAction);
    sQuitClass = NewSubclass(sPlainQuitClass, QV_LITERAL("AppQuit"), 0);
    Handle(sQuitClass, "Action", (void*)OnQuitAction);

    /* The compiled installer's method table names its _Install slot with the link signature. */
    installerBase = Class(QV_LITERAL("_MenuBarInstaller"));
    sInstallerClass = NewSubclass(installerBase, QV_LITERAL("MainMenuInstaller"), 1);
    sInstallerClass->methods[installerBase->methodCount].function = (void*)Install;
    sInstallerClass->methods[installerBase->methodCount].name =
        QV_LITERAL("MainMenuInstaller._Install%%o<MainMenuInstaller>o<MenuBar>");

    window = Class(QV_LITERAL("Window"));
    sMenuWinClass = NewSubclass(window, QV_LITERAL("MenuWin"), 0);
    Handle(sMenuWinClass, "Layout", (void*)OnMenuWinLayout);
    Handle(sMenuWinClass, "AddMenuHandlers", (void*)OnMenuWinAddMenuHandlers);
    sPlainWinClass = NewSubclass(window, QV_LITERAL("PlainWin"), 0);
    Handle(sPlainWinClass, "Layout", (void*)OnPlainWinLayout);
    Handle(sPlainWinClass, "AddMenuHandlers", (void*)OnPlainWinAddMenuHandlers);
    {
        ClassRecord* each[2];
        int32_t i;
        each[0] = sMenuWinClass;
        each[1] = sPlainWinClass;
        for (i = 0; i < 2; i++) {
            Handle(each[i], "EnableMenuItems", (void*)OnWindowEnableMenuItems);
            Handle(each[i], "KeyDown", (void*)OnWindowKeyDown);
            Handle(each[i], "CancelClose", (void*)OnCancelClose);
            Handle(each[i], "Close", (void*)OnWindowClose);
        }
    }

    sThreadClass = NewSubclass(Class(QV_LITERAL("Thread")), QV_LITERAL("Driver"), 0);
    Handle(sThreadClass, "Run", (void*)Drive);

    appClass = NewSubclass(Class(QV_LITERAL("Application")), QV_LITERAL("App"), 0);
    Handle(appClass, "Open", (void*)OnAppOpen);
    Handle(appClass, "Close", (void*)OnAppClose);
    Handle(appClass, "EnableMenuItems", (void*)OnAppEnableMenuItems);
    Handle(appClass, "UnhandledException", (void*)OnUnhandled);
    sApplication = RuntimeNewObject(appClass);
    SetBooleanProperty(sApplication, "AutoQuit%", 1);
    RuntimeRegisterAppObject(sApplication);
    RuntimeRun();
    RuntimeUnlockObject(sThread);
    RuntimeUnlockObject(sMain);
    RuntimeUnlockObject(sApplication);
    Print("\n");
    RuntimeExit();
}
