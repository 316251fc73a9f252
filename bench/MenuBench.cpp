// Menus against the bare native calls, side by side: key pre-translation with 200 menu shortcuts
// against TranslateAcceleratorW with a 200-entry table, for Ctrl+S (the first shortcut made, so the
// last in the list, and the last entry of the table) and for a plain letter matching nothing; 500
// items appended through MenuItem against AppendMenuW.
//
// Nothing here waits for a message, tracks a menu or runs a modal loop, failure reports are
// recorded instead of shown in a message box, and a watchdog ends the program should anything
// still wait: a benchmark must end by itself.
#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchTiming.h"
#include "core/DefinitionConversion.h"
#include "host/Application.h"
#include "tests/support/CompiledSubclass.h"
#include "windows/KeyboardShortcuts.h"
#include "windows/MenuItemClass.h"
#include "windows/Pane.h"
#include "windows/PaneWindowClass.h"

namespace {

constexpr int kShortcuts = 200;
constexpr int kMatchingPresses = 300;
constexpr int kPlainPresses = 2000;
constexpr int kAppended = 500;
constexpr DWORD kWatchdogMilliseconds = 10 * 60 * 1000;
// Fifty keys, each with Ctrl, Ctrl+Shift, Ctrl+Alt and Ctrl+Shift+Alt: 200 shortcuts, Ctrl+S first.
constexpr char kKeys[] = "SABCDEFGHIJKLMNOPQRTUVWXYZ0123456789,./;[]=`'\\!#$%";
constexpr const char* kModifiers[] = {"", "shift-", "alt-", "shift-alt-"};
static_assert(sizeof kKeys - 1 == kShortcuts / 4);

int sActions = 0;
int sCommands = 0;

bool CountAction(ObjectHeader*) {
    ++sActions;
    return true;
}

LRESULT CALLBACK BareProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        ++sCommands;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

DWORD WINAPI Watchdog(LPVOID) {
    Sleep(kWatchdogMilliseconds);
    std::fprintf(stderr, "menu_bench: still running after %lu s; stopped\n",
                 kWatchdogMilliseconds / 1000);
    std::fflush(stderr);
    ExitProcess(3);
}

// The keyboard state as GetKeyState reads it, with these keys held.
void HoldKeys(std::initializer_list<int> keys) {
    BYTE state[256] = {};
    for (int key : keys) state[key] = 0x80;
    SetKeyboardState(state);
}

MSG KeyDown(HWND window, int vk) {
    MSG message = {};
    message.hwnd = window;
    message.message = WM_KEYDOWN;
    message.wParam = static_cast<WPARAM>(vk);
    return message;
}

}  // namespace

int main() {
    SetEnvironmentVariableA("QV_FAILURE_SINK", "record");
    CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));

    ObjectHeader* app = RuntimeNewObject(CompiledSubclass(Application(), "BenchApp", {}));
    SetApplicationObject(app);
    ClassRecord* acting =
        CompiledSubclass(MenuItem(), "Acting", {{"Action", HandlerAddress(CountAction)}});

    // The runtime side: a menu bar of the application whose File menu holds 200 items with
    // command keys, and a window pane to which the keys go.
    ObjectHeader* bar = CreateInstance(MenuBar());
    ObjectHeader* file = CreateInstance(MenuItem());
    MenuItemImplementation(file)->SetText(string("File"));
    MenuItemImplementation(bar)->Append(file);
    ACCEL table[kShortcuts];
    int entry = kShortcuts;
    for (const char* modifier : kModifiers)
        for (const char* key = kKeys; *key; ++key) {
            ObjectHeader* item = RuntimeNewObject(acting);
            const std::string text = std::string("Item ") + modifier + *key;
            MenuItemImplementation(item)->SetText(string(text.c_str()));
            MenuItemImplementation(item)->SetCommandKey(string((modifier + std::string(1, *key)).c_str()));
            MenuItemImplementation(file)->Append(item);
            RuntimeUnlockObject(item);
            // The same shortcut in the table, filled from its end.
            const bool shift = modifier[0] == 's', alt = std::string(modifier).find("alt") != std::string::npos;
            ACCEL& accel = table[--entry];
            accel.fVirt = static_cast<BYTE>(FVIRTKEY | FCONTROL | (shift ? FSHIFT : 0) | (alt ? FALT : 0));
            accel.key = static_cast<WORD>(LOBYTE(VkKeyScanW(static_cast<WCHAR>(*key))));
            accel.cmd = static_cast<WORD>(kFirstMenuCommandId + entry);
        }
    AppMenuBarSetter(app, 0, bar);
    HACCEL accelerators = CreateAcceleratorTableW(table, kShortcuts);

    RegisterPaneWindowClasses();
    HWND paneWindow = CreateWindowExW(0, L"QV_Pane", L"bench", WS_POPUP, 0, 0, 200, 100, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
    auto* pane = new WindowPane(paneWindow);
    WNDCLASSW bareClass = {};
    bareClass.lpfnWndProc = BareProcedure;
    bareClass.hInstance = GetModuleHandleW(nullptr);
    bareClass.lpszClassName = L"BareMenuBenchWindow";
    RegisterClassW(&bareClass);
    HWND bareWindow = CreateWindowExW(0, L"BareMenuBenchWindow", L"bare", WS_POPUP, 0, 0, 200, 100,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);

    uint64_t checksum = 0;
    HoldKeys({VK_CONTROL});
    MSG runtimeCtrlS = KeyDown(paneWindow, 'S');
    MSG bareCtrlS = KeyDown(bareWindow, 'S');
    const double runtimeMatch = Best([&] {
        int handled = 0;
        for (int i = 0; i < kMatchingPresses; ++i) handled += TranslateKeyMessage(&runtimeCtrlS);
        return handled;
    }, checksum);
    const double nativeMatch = Best([&] {
        int handled = 0;
        for (int i = 0; i < kMatchingPresses; ++i)
            handled += TranslateAcceleratorW(bareWindow, accelerators, &bareCtrlS);
        return handled;
    }, checksum);
    const int actions = sActions, commands = sCommands;

    HoldKeys({});
    MSG runtimeQ = KeyDown(paneWindow, 'Q');
    MSG bareQ = KeyDown(bareWindow, 'Q');
    const double runtimePlain = Best([&] {
        int handled = 0;
        for (int i = 0; i < kPlainPresses; ++i) handled += TranslateKeyMessage(&runtimeQ);
        return handled;
    }, checksum);
    const double nativePlain = Best([&] {
        int handled = 0;
        for (int i = 0; i < kPlainPresses; ++i)
            handled += TranslateAcceleratorW(bareWindow, accelerators, &bareQ);
        return handled;
    }, checksum);

    std::printf("Ctrl+S among %d shortcuts, TranslateKeyMessage vs TranslateAcceleratorW: %.2f "
                "(%d actions, %d commands of %d presses each)\n",
                kShortcuts, runtimeMatch / nativeMatch, actions, commands, kRounds * kMatchingPresses);
    std::printf("plain letter matching nothing, TranslateKeyMessage vs TranslateAcceleratorW: %.2f\n",
                runtimePlain / nativePlain);

    const double appendItems = Best([&] {
        ObjectHeader* menu = CreateInstance(MenuItem());
        for (int i = 0; i < kAppended; ++i) {
            ObjectHeader* item = CreateInstance(MenuItem());
            MenuItemImplementation(item)->SetText(string("Appended item"));
            MenuItemImplementation(menu)->Append(item);
            RuntimeUnlockObject(item);
        }
        const int count = GetMenuItemCount(MenuItemImplementation(menu)->menuHandle);
        RuntimeUnlockObject(menu);
        return count;
    }, checksum);
    const double appendNative = Best([&] {
        HMENU menu = CreatePopupMenu();
        for (int i = 0; i < kAppended; ++i)
            AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(kFirstMenuCommandId + i), L"Appended item");
        const int count = GetMenuItemCount(menu);
        DestroyMenu(menu);
        return count;
    }, checksum);
    std::printf("%d items appended, MenuItem vs AppendMenuW: %.2f\n", kAppended,
                appendItems / appendNative);
    std::printf("checksum %llu\n", static_cast<unsigned long long>(checksum));

    DestroyAcceleratorTable(accelerators);
    DestroyWindow(bareWindow);
    pane->Close();
    AppMenuBarSetter(app, 0, nullptr);
    RuntimeUnlockObject(file);
    RuntimeUnlockObject(bar);
    SetApplicationObject(nullptr);
    RuntimeUnlockObject(app);
    return 0;
}
