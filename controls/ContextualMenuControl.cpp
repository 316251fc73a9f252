#include "controls/ContextualMenuControl.h"

#include "core/FailureReport.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"
#include "windows/ContextualMenu.h"
#include "windows/RuntimeViewWindow.h"
#include "windows/WindowObject.h"

namespace {

EventDefinition* sAction = nullptr;

ContextualMenuRecord* M(ObjectHeader* control) {
    return reinterpret_cast<ContextualMenuRecord*>(control);
}

ContextualMenuImp* Menu(ObjectHeader* control) {
    if (!M(control)->menu) M(control)->menu = NewContextualMenuImp();
    return M(control)->menu;
}

}  // namespace

extern "C" {

void contextualMenuResetContent(ObjectHeader* control) {
    if (!control || !M(control)->menu) return;
    DeleteContextualMenuImp(M(control)->menu);
    M(control)->menu = nullptr;
}

void contextualMenuAddRow(ObjectHeader* control, StringRecord* text) {
    if (control) ContextualMenuAddRow(Menu(control), string(text), nullptr);
}

void contextualMenuAddSeparator(ObjectHeader* control) {
    if (control) ContextualMenuAddSeparator(Menu(control));
}

void contextualMenuOpen(ObjectHeader* control) {
    if (!control) return;
    ContextualMenuImp* menu = Menu(control);
    SubPane* owner = ControlFields(control)->ownerPane;
    ObjectHeader* window = ControlFields(control)->window;
    if (!owner && window) owner = WindowFields(window)->mPane;
    // The handler may drop the last reference to the control.
    RuntimeLockObject(control);
    if (ContextualMenuOpen(menu, M(control)->useCMM != 0, owner)) {
        auto handler = reinterpret_cast<void (*)(ObjectHeader*, StringRecord*)>(
            sAction ? FindEventInstance(control, sAction) : nullptr);
        if (handler) {
            const string text = ContextualMenuSelectedText(menu);
            handler(control, text.Record());
        }
    }
    RuntimeUnlockObject(control);
}

void RuntimeContextualMenuDestructor(ObjectHeader* control) {
    if (!control) {
        ReportAssertion("runcmm", __LINE__, "ctl");
        return;
    }
    contextualMenuResetContent(control);
}

}  // extern "C"

namespace {

PropertyEntry kContextualMenuProperties[] = {
    QV_PROPERTY_ROW(0x8000, "UseCMM", AsType(&kBooleanType), boolGetter, boolSetter,
                    offsetof(ContextualMenuRecord, useCMM)),
    QV_PROPERTY_ROW(0, "UseMacCMM", AsType(&kBooleanType), boolGetter, boolSetter,
                    offsetof(ContextualMenuRecord, useCMM)),
};

ParameterEntry kTextParameter[] = {{"Text", AsType(&kStringType), 0, 0, 0, 0}};

#define QV_METHOD(name, parameters, count, function) \
    {name, nullptr, parameters, count, Function(function, #function), {}, kMethodPlain, 0, 0}
MethodEntry kContextualMenuMethods[] = {
    QV_METHOD("DeleteAllRows", nullptr, 0, contextualMenuResetContent),
    QV_METHOD("AddRow", kTextParameter, 1, contextualMenuAddRow),
    QV_METHOD("AddSeparator", nullptr, 0, contextualMenuAddSeparator),
    QV_METHOD("Open", nullptr, 0, contextualMenuOpen),
};
#undef QV_METHOD

EventEntry kContextualMenuEvents[] = {{0, "Action", "item As String", "", &sAction, 0}};

EventImplementationEntry kContextualMenuImplementations[] = {
    {"CreatePane", RowFunction(NilCreatePane), "NilCreatePane", 0, {}},
};

const ClassRows kContextualMenuRows = {
    .className = "ContextualMenu",
    .superclass = Control,
    .objectSize = sizeof(ContextualMenuRecord),
    .finalizer = Function(RuntimeContextualMenuDestructor, "RuntimeContextualMenuDestructor"),
    .properties = kContextualMenuProperties,
    .events = kContextualMenuEvents,
    .methods = kContextualMenuMethods,
    .eventImplementations = kContextualMenuImplementations,
};

}  // namespace

ObjectDefinition* ContextualMenu() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kContextualMenuRows);
}
