#include "IntrinsicRegistry.h"

#include "FailureReport.h"
#include "LinkTable.h"
#include "SimpleVector.h"
#include "StringMap.h"

namespace {

// Both maps are created by the first registration and kept for the whole run.
StringMap<ObjectDefinition*>* sIntrinsicClassMap = nullptr;
StringMap<ObjectDefinition*>* gIntrinsicModuleMap = nullptr;

// Every class registration in order, a class registered again included.
SimpleVector<ObjectDefinition*>& RegisteredClasses() {
    static SimpleVector<ObjectDefinition*> classes;
    return classes;
}

StringMap<ObjectDefinition*>* NewDefinitionMap() { return new StringMap<ObjectDefinition*>(256); }

void RegisterNamed(const char* linkName, void* function) {
    if (linkName && function) RegisterRelocEntry(linkName, function);
}

void CheckModule(bool holds, int32_t line, const char* condition) {
    if (!holds) ReportAssertion("intrinsicClass", line, condition);
}

}  // namespace

namespace {
IntrinsicFunctionRows sFunctionRows = {nullptr, 0, nullptr};
}  // namespace

void SetIntrinsicFunctionRows(const IntrinsicFunctionRows& rows) { sFunctionRows = rows; }

SimpleVector<MethodEntry*>& IntrinsicFunctionTable() {
    static SimpleVector<MethodEntry*> table;
    return table;
}

void RegisterIntrinsicClass(ObjectDefinition* definition) {
    if (!definition) return;
    if (!sIntrinsicClassMap) sIntrinsicClassMap = NewDefinitionMap();
    sIntrinsicClassMap->SetEntry(definition->className, definition);
    RegisteredClasses().push_back(definition);
    RegisterDefinitionFunctions(definition);
}

int32_t IntrinsicClassRegistrationCount() {
    return static_cast<int32_t>(RegisteredClasses().size());
}

ObjectDefinition* IntrinsicClassRegistrationAt(int32_t index) {
    const SimpleVector<ObjectDefinition*>& classes = RegisteredClasses();
    if (index < 0 || static_cast<uint32_t>(index) >= classes.size()) return nullptr;
    return classes[index];
}

ObjectDefinition* FindIntrinsicClass(const string& name) {
    ObjectDefinition* definition = nullptr;
    if (sIntrinsicClassMap) sIntrinsicClassMap->GetEntry(name, definition);
    return definition;
}

void RegisterIntrinsicModule(ObjectDefinition* defn) {
    CheckModule(defn != nullptr, __LINE__, "defn");
    if (!defn) return;
    CheckModule(defn->objectSize == 0, __LINE__, "0 == defn->objectSize");
    CheckModule(defn->super == nullptr, __LINE__, "NULL == defn->super");
    CheckModule(defn->initializer.toc == nullptr, __LINE__, "NULL == defn->initializer.toc");
    CheckModule(defn->finalizer.toc == nullptr, __LINE__, "NULL == defn->finalizer.toc");
    CheckModule(defn->hooks == nullptr, __LINE__, "NULL == defn->hooks");
    CheckModule(defn->hookInstances == nullptr, __LINE__, "NULL == defn->hookInstances");
    CheckModule(defn->menuHandlers == nullptr, __LINE__, "NULL == defn->menuHandlers");
    CheckModule(defn->interfaces == nullptr, __LINE__, "NULL == defn->interfaces");
    if (!gIntrinsicModuleMap) gIntrinsicModuleMap = NewDefinitionMap();
    CheckModule(!gIntrinsicModuleMap->HasEntry(defn->className), __LINE__,
                "not gIntrinsicModuleMap->HasEntry( defn->className )");
    gIntrinsicModuleMap->SetEntry(defn->className, defn);
    RegisterDefinitionFunctions(defn);
}

void RegisterFunctionReference(const FunctionReference* meth) {
    if (!meth) {
        ReportAssertion("intrinsicClass", __LINE__, "meth");
        return;
    }
    RegisterNamed(meth->linkName, meth->toc);
}

void RegisterDefinitionFunctions(ObjectDefinition* definition) {
    for (MethodDefinition* m = definition->methods; m; m = m->next) {
        RegisterFunctionReference(&m->function);
        RegisterFunctionReference(&m->setter);
    }
    for (PropertyDefinition* p = definition->properties; p; p = p->next) {
        RegisterNamed(p->getterLinkName, p->getter);
        RegisterNamed(p->setterLinkName, p->setter);
    }
    if (definition->initializer.toc)
        RegisterRelocEntry(definition->initializer.linkName, definition->initializer.toc);
    if (definition->finalizer.toc)
        RegisterRelocEntry(definition->finalizer.linkName, definition->finalizer.toc);
}

void RegisterIntrinsicFunction(MethodEntry* item) {
    if (!item) {
        ReportAssertion("intrinsicFunction", __LINE__, "item");
        return;
    }
    IntrinsicFunctionTable().push_back(item);
    RegisterNamed(item->function.linkName, item->function.toc);
    RegisterNamed(item->setter.linkName, item->setter.toc);
}

int32_t RegisterIntrinsicFunctions(MethodEntry* rows, int32_t count) {
    for (int32_t i = 0; i < count; ++i) RegisterIntrinsicFunction(&rows[i]);
    return count;
}

void LoadIntrinsicFunctions() {
    static bool loaded = false;
    if (loaded) return;
    loaded = true;
    if (sFunctionRows.complete) sFunctionRows.complete();
    if (sFunctionRows.rows) RegisterIntrinsicFunctions(sFunctionRows.rows, sFunctionRows.count);
}

int32_t IntrinsicFunctionCount() {
    LoadIntrinsicFunctions();
    return static_cast<int32_t>(IntrinsicFunctionTable().size());
}

MethodEntry* IntrinsicFunctionAt(int32_t index) {
    LoadIntrinsicFunctions();
    const SimpleVector<MethodEntry*>& table = IntrinsicFunctionTable();
    if (index < 0 || static_cast<uint32_t>(index) >= table.size()) return nullptr;
    return table[index];
}
