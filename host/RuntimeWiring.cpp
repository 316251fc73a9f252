#include "host/RuntimeWiring.h"

#include "comms/SocketClasses.h"
#include "controls/TimerClass.h"
#include "core/ArraySort.h"
#include "core/DefinitionConversion.h"
#include "core/IntrinsicTypes.h"
#include "core/IntrinsicRegistry.h"
#include "core/LinkTable.h"
#include "core/SmallBlockAllocator.h"
#include "host/CooperativeThreads.h"
#include "host/PluginClasses.h"
#include "host/StaticLinkTable.h"
#include "values/NumberText.h"
#include "values/StringLibrary.h"
#include "windows/Drawing.h"

void InstallRuntimeWiring() {
    SetStaticRelocEntries(kStaticRelocEntries, kStaticRelocEntryCount);
    SetIntrinsicFunctionRows({gIntrinsicFunctionRows, gIntrinsicFunctionRowCount,
                              CompleteIntrinsicFunctionRows});
    // The out-of-memory text is painted: nothing may be drawing when it is shown.
    SetOutOfMemoryHook(EndAllDrawing);
    SetSortStackCheck(RuntimeStackCheck);
    SetStringSortOrder(RuntimeStringCompare);
    SetPluginClassFinder(FindPluginClassDefinition);
    SetSingleTextHooks({SingleText, StringVal});
}

// The classes of the user interface, in their fixed registration order. Each subsystem adds its
// definition functions here as it is built; the rest of the order is (after Timer): Serial,
// SerialPort, DatabaseQuery, RGBSurface, the picture classes, Graphics, Control, RectControl, the
// list box classes, Canvas, StaticText, ContextualMenu, ScrollBar, Slider, Window,
// ContainerControl, EmbeddedWindowControl, GroupBox, Line, Oval, RoundRectangle, Rectangle,
// EditField, PagePanel, OLEContainer, sys$popupRowTag, ProgressBar, _PaneChild, PrinterSetup,
// MoviePlayer, MoviePlayerAction, PushButton, CheckBox, RadioButton, PopupMenu, ComboBox,
// NotePlayer, Movie, Sound, StyledTextPrinter, TabPanel, MouseCursor, DataControlAction,
// DataControl, TrayItem; the socket classes come before Object (UDPSocket and Datagram after
// TCPSocket, Socket and IPCSocket after ServerSocket).
extern "C" void CreateControlClasses() {
    static const DefinitionFunction kClasses[] = {
        SocketCore,
        TCPSocket,
        UDPSocket,
        Datagram,
        ServerSocket,
        Socket,
        Object,
        Timer,
    };
    for (DefinitionFunction definition : kClasses) RegisterIntrinsicClass(definition());
}
