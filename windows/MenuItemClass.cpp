#include "MenuItemClass.h"

#include <cstring>

#include "FrontWindowSeam.h"
#include "Pane.h"
#include "WindowList.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/IntrinsicRegistry.h"
#include "core/MethodSlotNames.h"
#include "host/Application.h"
#include "host/EventLoop.h"
#include "core/IntrinsicTypes.h"
#include "host/MenuCommands.h"
#include "values/Variant.h"

namespace {

constexpr const char* kSource = "menubar";
constexpr int32_t kImpOffset = kObjectHeaderSize;

Win32Menu*& ImpField(ObjectHeader* item) { return *FieldAt<Win32Menu*>(item, kImpOffset); }

// The implementation of a member's object: nil raises NilObjectException, a missing
// implementation is reported; null in both cases.
Win32Menu* Self(ObjectHeader* item, const char* condition, int32_t line) {
    if (!item) {
        RaiseNilObjectException();
        return nullptr;
    }
    Win32Menu* imp = ImpField(item);
    if (!imp) ReportAssertion(kSource, line, condition);
    return imp;
}
#define QV_METHOD_SELF(item) Self(item, "self->mImp", __LINE__)
#define QV_PROPERTY_SELF(item) Self(item, "obj->mImp", __LINE__)
#define QV_STYLE_SELF(item) Self(item, "menu->mImp", __LINE__)

string Borrowed(StringRecord* record) { return string(record); }

ObjectHeader* ApplicationMenuBar() {
    ObjectHeader* application = ApplicationObjectOrNull();
    return application ? reinterpret_cast<ApplicationObject*>(application)->menuBar : nullptr;
}

const MenuHandlerMap* ApplicationHandlers() {
    ObjectHeader* application = ApplicationObjectOrNull();
    return application ? reinterpret_cast<ApplicationObject*>(application)->mMenuHandlers
                       : nullptr;
}

// Calls the map's handler for the name with (owner, index); true when one answered nonzero.
bool TryHandlerMap(const MenuHandlerMap* map, ObjectHeader* owner, const string& name,
                   int32_t index) {
    void* function = nullptr;
    if (!map || !map->GetEntry(name, function) || !function) return false;
    return reinterpret_cast<bool (*)(ObjectHeader*, int32_t)>(function)(owner, index);
}

// The windows collected from a window, tried from the last collected to the first. Each is held
// with a reference while the handlers run, so a handler that closes its window leaves no freed
// object behind in the search.
bool TryWindowHandlers(ObjectHeader* window, const string& name, int32_t index) {
    SimpleVector<ObjectHeader*> windows;
    CollectEmbeddedWindows(window, windows);
    for (uint32_t i = 0; i < windows.size(); ++i) RuntimeLockObject(windows[i]);
    bool handled = false;
    for (int32_t i = static_cast<int32_t>(windows.size()) - 1; i >= 0 && !handled; --i)
        handled = TryHandlerMap(WindowMenuHandlers(windows[i]), windows[i], name, index);
    for (uint32_t i = 0; i < windows.size(); ++i) RuntimeUnlockObject(windows[i]);
    return handled;
}

ObjectHeader* LookupDescendant(ObjectHeader* item, const string& name, int32_t index) {
    Win32Menu* imp = MenuItemImplementation(item);
    if (!imp) return nullptr;
    for (int32_t i = 0; i < imp->ChildCount(); ++i) {
        ObjectHeader* child = imp->children[i];
        Win32Menu* childImp = MenuItemImplementation(child);
        if (!child || !childImp) {
            ReportAssertion(kSource, __LINE__, "item");
            return nullptr;
        }
        if (string::CompareNoCase(childImp->name, name) == 0 && childImp->index == index) {
            RuntimeLockObject(child);
            return child;
        }
        if (ObjectHeader* found = LookupDescendant(child, name, index)) return found;
    }
    return nullptr;
}

// --- class rows ---

EventDefinition* sActionEvent = nullptr;
EventDefinition* sEnableMenuEvent = nullptr;
EventDefinition* sQuitActionEvent = nullptr;
EventDefinition* sPrefsActionEvent = nullptr;

EventEntry kMenuItemEvents[] = {
    {0, "Action", "", "Boolean", &sActionEvent, 0},
    {0, "EnableMenu", "", "", &sEnableMenuEvent, 0},
};
EventEntry kQuitEvents[] = {{0, "Action", "", "Boolean", &sQuitActionEvent, 0}};
EventEntry kPrefsEvents[] = {{0, "Action", "", "Boolean", &sPrefsActionEvent, 0}};

#define QV_STRING_PROPERTY(label, stem)                                                      \
    {0, label, AsType(&kStringType), RowFunction(RuntimeMenuItem##stem##Getter),             \
     "RuntimeMenuItem" #stem "Getter", RowFunction(RuntimeMenuItem##stem##Setter),           \
     "RuntimeMenuItem" #stem "Setter", 0, 0}
#define QV_BOOLEAN_PROPERTY(label, stem)                                                     \
    {0, label, AsType(&kBooleanType), RowFunction(RuntimeMenuItem##stem##Getter),            \
     "RuntimeMenuItem" #stem "Getter", RowFunction(RuntimeMenuItem##stem##Setter),           \
     "RuntimeMenuItem" #stem "Setter", 0, 0}

PropertyEntry kMenuItemProperties[] = {
    QV_STRING_PROPERTY("Name", Name),
    {0, "Index", AsType(&kIntegerType), RowFunction(RuntimeMenuItemIndexGetter),
     "RuntimeMenuItemIndexGetter", RowFunction(RuntimeMenuItemIndexSetter),
     "RuntimeMenuItemIndexSetter", 0, 0},
    {0, "Tag", nullptr, RowFunction(RuntimeMenuItemTagGetter), "RuntimeMenuItemTagGetter",
     RowFunction(RuntimeMenuItemTagSetter), "RuntimeMenuItemTagSetter", 0, 0},
    QV_STRING_PROPERTY("BalloonHelp", BalloonHelp),
    QV_STRING_PROPERTY("DisabledBalloonHelp", DisabledHelp),
    QV_STRING_PROPERTY("Text", Text),
    QV_BOOLEAN_PROPERTY("Checked", Checked),
    QV_BOOLEAN_PROPERTY("Enabled", Enabled),
    QV_BOOLEAN_PROPERTY("Visible", Visible),
    {0x8000, "CommandKey", AsType(&kStringType), RowFunction(RuntimeMenuItemCommandKeyGetter),
     "RuntimeMenuItemCommandKeyGetter", RowFunction(RuntimeMenuItemCommandKeySetter),
     "RuntimeMenuItemCommandKeySetter", 0, 0},
    QV_STRING_PROPERTY("KeyboardShortcut", CommandKey),
    QV_BOOLEAN_PROPERTY("_Bold", Bold),
    QV_BOOLEAN_PROPERTY("_Italic", Italics),
    QV_BOOLEAN_PROPERTY("_Underline", Underline),
    QV_BOOLEAN_PROPERTY("AutoEnable", AutoEnable),
};

ParameterEntry kIndexParameter[] = {{"index", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kNameParameter[] = {{"name", AsType(&kStringType), 0, 0, 0, 0}};
ParameterEntry kItemParameter[] = {{"item", nullptr, 0, 0, 0, 0}};
ParameterEntry kInsertParameters[] = {{"index", AsType(&kIntegerType), 0, 0, 0, 0},
                                      {"item", nullptr, 0, 0, 0, 0}};
ParameterEntry kLookupArrayParameters[] = {{"name", AsType(&kStringType), 0, 0, 0, 0},
                                           {"index", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kConstructorParameters[] = {{"Text", AsType(&kStringType), 0, 0, 0, 0},
                                           {"Tag", nullptr, 0, 0, 0, 0}};
ParameterEntry kPopUpParameters[] = {{"GlobalMouseX", AsType(&kIntegerType), 0, 0, 0, 0},
                                     {"GlobalMouseY", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kSwapParameters[] = {{"name", AsType(&kStringType), 0, 0, 0, 0},
                                    {"swapWith", nullptr, 0, 0, 0, 0}};
ParameterEntry kInstallCloneParameter[] = {{"installThis", nullptr, 0, 0, 0, 0}};
ParameterEntry kInstallParameter[] = {{"owner", nullptr, 0, 0, 0, 0}};

#define QV_METHOD(label, result, parameters, count, function)                                 \
    {label, result, parameters, count, Function(RowFunction(function), #function), {},       \
     kMethodPlain, 0, 0}

MethodEntry kMenuItemMethods[] = {
    QV_METHOD("Enable", nullptr, nullptr, 0, RuntimeEnableMenu),
    QV_METHOD("Close", nullptr, nullptr, 0, RuntimeCloseMenuItem),
    QV_METHOD("Item", nullptr, kIndexParameter, 1, RuntimeMenuItemItem),
    QV_METHOD("Count", AsType(&kIntegerType), nullptr, 0, RuntimeMenuItemCount),
    QV_METHOD("Child", nullptr, kNameParameter, 1, RuntimeMenuItemChild),
    QV_METHOD("Append", nullptr, kItemParameter, 1, RuntimeMenuItemAppend),
    QV_METHOD("Insert", nullptr, kInsertParameters, 2, RuntimeMenuItemInsert),
    QV_METHOD("Remove", nullptr, kIndexParameter, 1, RuntimeMenuItemRemoveIndex),
    QV_METHOD("Remove", nullptr, kItemParameter, 1, RuntimeMenuItemRemoveItem),
    QV_METHOD("Remove", nullptr, kNameParameter, 1, RuntimeMenuItemRemoveByName),
    QV_METHOD("_Lookup", nullptr, kNameParameter, 1, RuntimeMenuItemLookup),
    QV_METHOD("_Lookup", nullptr, kLookupArrayParameters, 2, RuntimeMenuItemLookupArray),
    QV_METHOD("Constructor", nullptr, nullptr, 0, RuntimeMenuItemDefaultConstructor),
    QV_METHOD("Constructor", nullptr, kConstructorParameters, 2, MenuItemConstructor),
    QV_METHOD("PopUp", nullptr, nullptr, 0, RuntimeMenuItemPopUpByCursor),
    QV_METHOD("PopUp", nullptr, kPopUpParameters, 2, RuntimeMenuItemPopUp),
    QV_METHOD("_Swap", nullptr, kSwapParameters, 2, RuntimeMenuItemSwap),
};

MethodEntry kMenuBarMethods[] = {
    QV_METHOD("_InstallClone", nullptr, kInstallCloneParameter, 1, MenuBarInstallClone),
};

MethodEntry kInstallerMethods[] = {
    {"_Install", nullptr, kInstallParameter, 1, {}, {}, kMethodPlain, 0, 0},
};

// Class constants have no run-time presence; the type code is the row's documentation only.
ConstantEntry kMenuItemConstants[] = {{0, "TextSeparator", 0, "-"}};

EventImplementationEntry kQuitImplementations[] = {
    {"Action", RowFunction(QuitMenuAction), "QuitMenuAction", 0, {}},
};
EventImplementationEntry kPrefsImplementations[] = {
    {"Action", RowFunction(PrefsMenuAction), "PrefsMenuAction", 0, {}},
};

const ClassRows kMenuItemRows = {
    .className = "MenuItem",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize + static_cast<int32_t>(sizeof(void*)),
    .initializer = Function(RowFunction(MenuItemInitializer), "MenuItemInitializer"),
    .finalizer = Function(RowFunction(MenuItemFinalizer), "MenuItemFinalizer"),
    .properties = kMenuItemProperties,
    .events = kMenuItemEvents,
    .methods = kMenuItemMethods,
    .constants = kMenuItemConstants,
};

const ClassRows kMenuBarRows = {
    .className = "MenuBar",
    .superclass = MenuItem,
    .objectSize = kObjectHeaderSize + static_cast<int32_t>(sizeof(void*)),
    .initializer = Function(RowFunction(MenuBarInitializer), "MenuBarInitializer"),
    .methods = kMenuBarMethods,
};

const ClassRows kInstallerRows = {
    .className = "_MenuBarInstaller",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
    .methods = kInstallerMethods,
};

const ClassRows kQuitRows = {
    .className = "QuitMenuItem",
    .superclass = MenuItem,
    .objectSize = kObjectHeaderSize + static_cast<int32_t>(sizeof(void*)),
    .events = kQuitEvents,
    .eventImplementations = kQuitImplementations,
};

const ClassRows kPrefsRows = {
    .className = "PrefsMenuItem",
    .superclass = MenuItem,
    .objectSize = kObjectHeaderSize + static_cast<int32_t>(sizeof(void*)),
    .events = kPrefsEvents,
    .eventImplementations = kPrefsImplementations,
};

const ClassRows kAppleRows = {
    .className = "AppleMenuItem",
    .superclass = MenuItem,
    .objectSize = kObjectHeaderSize + static_cast<int32_t>(sizeof(void*)),
};

// The item's own Action (QuitMenuItem's or PrefsMenuItem's event), or null.
using ActionHandler = bool (*)(ObjectHeader*);
ActionHandler OwnAction(ObjectHeader* item, EventDefinition* event) {
    return reinterpret_cast<ActionHandler>(FindEventInstance(item, event));
}

}  // namespace

ObjectDefinition* MenuItem() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) {
        const TypeDescriptor* item = definition.AsType();
        const TypeDescriptor* variant = GetVariantDefinition()->AsType();
        for (ParameterEntry* p : {&kItemParameter[0], &kInsertParameters[1], &kSwapParameters[1],
                                  &kInstallCloneParameter[0]})
            p->parameterType = item;
        kConstructorParameters[1].parameterType = variant;
        kMenuItemProperties[2].type = variant;
        for (MethodEntry& row : kMenuItemMethods)
            for (const char* name : {"Item", "Child", "_Lookup", "PopUp"})
                if (std::strcmp(row.name, name) == 0) row.returnType = item;
    }
    return FillClassDefinition(definition, kMenuItemRows);
}

ObjectDefinition* MenuBar() {
    static ObjectDefinition definition;
    MenuItem();
    return FillClassDefinition(definition, kMenuBarRows);
}

ObjectDefinition* MenuBarInstaller() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) kInstallParameter[0].parameterType = MenuBar()->AsType();
    return FillClassDefinition(definition, kInstallerRows);
}

ObjectDefinition* QuitMenuItem() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kQuitRows);
}

ObjectDefinition* PrefsMenuItem() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kPrefsRows);
}

ObjectDefinition* AppleMenuItem() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kAppleRows);
}

EventDefinition* MenuItemActionEvent() {
    MenuItem();
    return sActionEvent;
}

EventDefinition* MenuItemEnableMenuEvent() {
    MenuItem();
    return sEnableMenuEvent;
}

void RegisterMenuClasses() {
    RegisterIntrinsicClass(MenuBarInstaller());
    RegisterIntrinsicClass(MenuBar());
    RegisterIntrinsicClass(MenuItem());
}

Win32Menu* MenuItemImplementation(ObjectHeader* item) { return item ? ImpField(item) : nullptr; }

bool HandleMenuCommand(bool flag, int32_t commandId) {
    if (commandId <= 0) return false;
    ObjectHeader* bar = WindowMenuBar(front_window_seam::LanguageWindowOf(nullptr));
    if (!bar) bar = ApplicationMenuBar();
    Win32Menu* imp = MenuItemImplementation(bar);
    if (!imp) return false;
    ObjectHeader* item = imp->FindByCommandId(commandId);
    if (!item) return false;
    const bool handled = RuntimeMenuItemClick(item, flag, nullptr);
    RuntimeUnlockObject(item);
    return handled;
}

bool InstallMenuBar(ObjectHeader* installer, ObjectHeader* menuBar) {
    if (!installer) return false;
    for (ClassRecord* record = installer->classPtr; record; record = record->super) {
        for (int32_t i = record->methodCount - 1; i >= 0; --i) {
            const MethodSlot& slot = record->methods[i];
            if (!slot.function || !slot.name) continue;
            if (string::CompareNoCase(MethodNameOfSlot(string(slot.name)), string("_Install")) != 0)
                continue;
            reinterpret_cast<void (*)(ObjectHeader*, ObjectHeader*)>(slot.function)(installer,
                                                                                   menuBar);
            return true;
        }
    }
    return false;
}

extern "C" {

bool RuntimeMenuItemClick(ObjectHeader* item, bool, WindowPane* windowPane) {
    Win32Menu* imp = QV_METHOD_SELF(item);
    if (!imp) return false;
    RuntimeLockObject(item);
    const string name = imp->name;
    const int32_t index = imp->index;
    if (!windowPane) windowPane = front_window_seam::ActiveWindowPane();
    SubPane* focus = GetFocusPane();
    bool handled = false;
    if (ObjectHeader* window = front_window_seam::LanguageWindowOf(windowPane)) {
        RuntimeLockObject(window);
        handled = TryHandlerMap(FocusControlMenuHandlers(), nullptr, name, index) ||
                  TryWindowHandlers(window, name, index);
        RuntimeUnlockObject(window);
    }
    if (!handled) {
        ObjectHeader* application = ApplicationObjectOrNull();
        handled = TryHandlerMap(ApplicationHandlers(), application, name, index);
    }
    if (!handled) {
        if (ActionHandler action = OwnAction(item, MenuItemActionEvent())) handled = action(item);
    }
    if (!handled && focus && GetFocusPane() == focus) handled = focus->MenuItemAction(item);
    // A handler that quit the application has closed it: no enabling events after its Close.
    if (handled && !IsQuitting()) enableMenuItems();
    RuntimeUnlockObject(item);
    return handled;
}

void MenuItemInitializer(ObjectHeader* item) {
    if (!item) return ReportAssertion(kSource, __LINE__, "obj");
    ImpField(item) = new Win32Menu(false);
}

void MenuBarInitializer(ObjectHeader* item) {
    if (!item) return ReportAssertion(kSource, __LINE__, "obj");
    delete ImpField(item);
    ImpField(item) = new Win32Menu(true);
}

void MenuItemFinalizer(ObjectHeader* item) {
    if (!item) return ReportAssertion(kSource, __LINE__, "m");
    delete ImpField(item);
    ImpField(item) = nullptr;
}

#define QV_STRING_ACCESSORS(stem, field, setterCall)                                          \
    StringRecord* RuntimeMenuItem##stem##Getter(ObjectHeader* item, int32_t) {                 \
        Win32Menu* imp = QV_PROPERTY_SELF(item);                                               \
        return imp ? string(imp->field).Detach() : nullptr;                                    \
    }                                                                                          \
    void RuntimeMenuItem##stem##Setter(ObjectHeader* item, int32_t, StringRecord* value) {     \
        if (Win32Menu* imp = QV_PROPERTY_SELF(item)) imp->setterCall(Borrowed(value));         \
    }
#define QV_FLAG_ACCESSORS(stem, field, setterCall, self)                                      \
    bool RuntimeMenuItem##stem##Getter(ObjectHeader* item, int32_t) {                          \
        Win32Menu* imp = self(item);                                                           \
        return imp ? imp->field : false;                                                       \
    }                                                                                          \
    void RuntimeMenuItem##stem##Setter(ObjectHeader* item, int32_t, bool value) {              \
        if (Win32Menu* imp = self(item)) imp->setterCall(value);                               \
    }

QV_STRING_ACCESSORS(Name, name, SetName)
QV_STRING_ACCESSORS(BalloonHelp, balloonHelp, SetBalloonHelp)
QV_STRING_ACCESSORS(DisabledHelp, disabledBalloonHelp, SetDisabledBalloonHelp)
QV_STRING_ACCESSORS(Text, text, SetText)
QV_STRING_ACCESSORS(CommandKey, commandKey, SetCommandKey)
QV_FLAG_ACCESSORS(Checked, checked, SetChecked, QV_PROPERTY_SELF)
QV_FLAG_ACCESSORS(Visible, visible, SetVisible, QV_PROPERTY_SELF)
QV_FLAG_ACCESSORS(Bold, bold, SetBold, QV_STYLE_SELF)
QV_FLAG_ACCESSORS(Italics, italic, SetItalic, QV_STYLE_SELF)
QV_FLAG_ACCESSORS(Underline, underline, SetUnderline, QV_STYLE_SELF)

int32_t RuntimeMenuItemIndexGetter(ObjectHeader* item, int32_t) {
    Win32Menu* imp = QV_PROPERTY_SELF(item);
    return imp ? imp->index : 0;
}

void RuntimeMenuItemIndexSetter(ObjectHeader* item, int32_t, int32_t value) {
    if (Win32Menu* imp = QV_PROPERTY_SELF(item)) imp->SetIndex(value);
}

ObjectHeader* RuntimeMenuItemTagGetter(ObjectHeader* item, int32_t) {
    Win32Menu* imp = QV_PROPERTY_SELF(item);
    if (!imp) return nullptr;
    RuntimeLockObject(imp->tag);
    return imp->tag;
}

void RuntimeMenuItemTagSetter(ObjectHeader* item, int32_t, ObjectHeader* value) {
    if (Win32Menu* imp = QV_PROPERTY_SELF(item)) imp->SetTag(value);
}

bool RuntimeMenuItemEnabledGetter(ObjectHeader* item, int32_t) {
    Win32Menu* imp = QV_PROPERTY_SELF(item);
    return imp ? imp->enabled : false;
}

void RuntimeMenuItemEnabledSetter(ObjectHeader* item, int32_t, bool value) {
    Win32Menu* imp = QV_PROPERTY_SELF(item);
    if (!imp) return;
    if (value)
        imp->Enable();
    else
        imp->Disable();
}

bool RuntimeMenuItemAutoEnableGetter(ObjectHeader* item, int32_t) {
    Win32Menu* imp = QV_PROPERTY_SELF(item);
    return imp ? imp->autoEnable : false;
}

void RuntimeMenuItemAutoEnableSetter(ObjectHeader* item, int32_t, bool value) {
    if (Win32Menu* imp = QV_PROPERTY_SELF(item)) imp->autoEnable = value;
}

void RuntimeEnableMenu(ObjectHeader* item) {
    if (Win32Menu* imp = QV_METHOD_SELF(item)) imp->Enable();
}

void RuntimeCloseMenuItem(ObjectHeader* item) {
    if (!QV_METHOD_SELF(item)) return;
    ObjectHeader* bar = ApplicationMenuBar();
    if (!bar) return;
    SimpleVector<ObjectHeader*> work;
    RuntimeLockObject(bar);
    work.push_back(bar);
    for (uint32_t next = 0; next < work.size(); ++next) {
        Win32Menu* imp = MenuItemImplementation(work[next]);
        if (!imp) continue;
        imp->Remove(item);
        for (int32_t i = 0; i < imp->ChildCount(); ++i) {
            ObjectHeader* child = imp->children[i];
            Win32Menu* childImp = MenuItemImplementation(child);
            if (!childImp || childImp->ChildCount() == 0) continue;
            RuntimeLockObject(child);
            work.push_back(child);
        }
    }
    for (uint32_t i = 0; i < work.size(); ++i) RuntimeUnlockObject(work[i]);
}

ObjectHeader* RuntimeMenuItemItem(ObjectHeader* item, int32_t index) {
    Win32Menu* imp = QV_METHOD_SELF(item);
    return imp ? imp->ChildAt(index) : nullptr;
}

int32_t RuntimeMenuItemCount(ObjectHeader* item) {
    Win32Menu* imp = QV_METHOD_SELF(item);
    return imp ? imp->ChildCount() : 0;
}

ObjectHeader* RuntimeMenuItemChild(ObjectHeader* item, StringRecord* name) {
    Win32Menu* imp = QV_METHOD_SELF(item);
    return imp ? imp->FindChild(Borrowed(name)) : nullptr;
}

void RuntimeMenuItemAppend(ObjectHeader* item, ObjectHeader* child) {
    Win32Menu* imp = QV_METHOD_SELF(item);
    if (imp && child) imp->Append(child);
}

void RuntimeMenuItemInsert(ObjectHeader* item, int32_t index, ObjectHeader* child) {
    Win32Menu* imp = QV_METHOD_SELF(item);
    if (!imp) return;
    if (index < 0 || index > imp->ChildCount()) return RaiseOutOfBoundsException();
    if (child) imp->Insert(child, index);
}

void RuntimeMenuItemRemoveIndex(ObjectHeader* item, int32_t index) {
    if (Win32Menu* imp = QV_METHOD_SELF(item)) imp->RemoveAt(index);
}

void RuntimeMenuItemRemoveItem(ObjectHeader* item, ObjectHeader* child) {
    Win32Menu* imp = QV_METHOD_SELF(item);
    if (imp && child) imp->Remove(child);
}

void RuntimeMenuItemRemoveByName(ObjectHeader* item, StringRecord* name) {
    Win32Menu* imp = QV_METHOD_SELF(item);
    if (!imp) return;
    if (ObjectHeader* child = imp->FindChild(Borrowed(name))) {
        imp->Remove(child);
        RuntimeUnlockObject(child);
    }
}

ObjectHeader* RuntimeMenuItemLookupArray(ObjectHeader* item, StringRecord* name, int32_t index) {
    if (!item || !name) return nullptr;
    RuntimeLockObject(item);
    ObjectHeader* found = LookupDescendant(item, Borrowed(name), index);
    RuntimeUnlockObject(item);
    return found;
}

ObjectHeader* RuntimeMenuItemLookup(ObjectHeader* item, StringRecord* name) {
    return RuntimeMenuItemLookupArray(item, name, kNoMenuIndex);
}

void RuntimeMenuItemDefaultConstructor(ObjectHeader*) {}

void MenuItemConstructor(ObjectHeader* item, StringRecord* text, ObjectHeader* tag) {
    Win32Menu* imp = QV_METHOD_SELF(item);
    if (!imp) return;
    imp->SetText(Borrowed(text));
    imp->SetTag(tag);
}

void RuntimeMenuItemSwap(ObjectHeader* item, StringRecord* name, ObjectHeader* swapWith) {
    Win32Menu* imp = QV_METHOD_SELF(item);
    if (!imp) return;
    const string key = Borrowed(name);
    for (int32_t i = 0; i < imp->ChildCount(); ++i) {
        Win32Menu* child = MenuItemImplementation(imp->children[i]);
        if (!child || string::CompareNoCase(child->name, key) != 0) continue;
        imp->RemoveAt(i);
        if (swapWith) imp->Insert(swapWith, i);
        return;
    }
}

void MenuBarInstallClone(ObjectHeader* menuBar, ObjectHeader* installThis) {
    if (!menuBar) return ReportAssertion(kSource, __LINE__, "menuBar");
    if (!installThis) return ReportAssertion(kSource, __LINE__, "installThis");
    Win32Menu* clone = MenuItemImplementation(installThis);
    if (!clone) return ReportAssertion(kSource, __LINE__, "installThis->mImp");
    const string key = clone->name;
    SimpleVector<ObjectHeader*> work;
    RuntimeLockObject(menuBar);
    work.push_back(menuBar);
    int32_t maxIndex = 0;
    bool found = false;
    bool installed = false;
    for (uint32_t next = 0; next < work.size() && !installed; ++next) {
        Win32Menu* entry = MenuItemImplementation(work[next]);
        if (!entry) continue;
        for (int32_t i = 0; i < entry->ChildCount(); ++i) {
            ObjectHeader* child = entry->children[i];
            Win32Menu* childImp = MenuItemImplementation(child);
            if (!childImp) continue;
            if (string::CompareNoCase(childImp->name, key) == 0) {
                found = true;
                if (childImp->index + 1 > maxIndex) maxIndex = childImp->index + 1;
            } else if (found) {
                clone->SetIndex(maxIndex);
                entry->Insert(installThis, i);
                installed = true;
                break;
            }
            if (childImp->ChildCount() > 0) {
                RuntimeLockObject(child);
                work.push_back(child);
            }
        }
        if (!installed && found) {
            clone->SetIndex(maxIndex);
            entry->Append(installThis);
            installed = true;
        }
    }
    for (uint32_t i = 0; i < work.size(); ++i) RuntimeUnlockObject(work[i]);
}

bool QuitMenuAction(ObjectHeader* item) {
    QuitMenuItem();
    ActionHandler own = OwnAction(item, sQuitActionEvent);
    if (!own || !own(item)) ApplicationQuit(nullptr, false);
    return true;
}

bool PrefsMenuAction(ObjectHeader* item) {
    PrefsMenuItem();
    if (ActionHandler own = OwnAction(item, sPrefsActionEvent)) own(item);
    return true;
}

}  // extern "C"
