/* Vector shapes on the screen: a window whose Paint draws, through DrawObject, filled and outlined
 * rectangles, a round rectangle, ovals, an arc, a curve, a figure, text turned 30 degrees and a
 * turned BMP (resource 129). The same group is drawn into a white 32-bit picture and its pixels
 * at chosen client points are printed as "expect X,Y=R,G,B", for the screenshot taken from
 * outside Wine (WindowCapture.h) to be compared with. */
#include "AppSupport.h"
#include "WindowCapture.h"

void QV_CDECL RuntimeRegisterAppObject(ObjectHeader* application);
void QV_CDECL RuntimeRun(void);
ObjectHeader* QV_CDECL RuntimeGetBitmapFromResourceManager(int32_t id);
ObjectHeader* QV_CDECL newPicture(int32_t width, int32_t height, int32_t depth);
ObjectHeader* QV_CDECL pictureGraphicsGetter(ObjectHeader* picture);
ObjectHeader* QV_CDECL pictureRGBSurfaceGetter(ObjectHeader* picture);
int32_t QV_CDECL rgbSurfaceGetPixel(ObjectHeader* surface, int32_t x, int32_t y);
void QV_CDECL RuntimeGraphicsDrawObject(ObjectHeader* g, ObjectHeader* shape);
void QV_CDECL doubleSetter(ObjectHeader* object, int32_t offset, double value);
void QV_CDECL intSetter(ObjectHeader* object, int32_t offset, int32_t value);
void QV_CDECL stringSetter(ObjectHeader* object, int32_t offset, StringRecord* value);

/* Field offsets of the shapes. */
enum {
    kFillColor = 28,
    kBorderColor = 32,
    kX = 40,
    kY = 48,
    kRotation = 56,
    kFill = 72,
    kBorder = 80,
    kBorderWidth = 88,
    kWidth = 96,
    kHeight = 104,
    kCorner = 112,
    kArcAngle = 128,
    kTextSize = 96,
    kText = 104,
    kX2 = 96,
    kY2 = 104,
};
enum { kWidthPixels = 320, kHeightPixels = 200 };

static ObjectHeader* sShapes;
static int sPainted;

/* Client points to compare, on solid parts of the drawing. */
static const int32_t kPoints[][2] = {
    {40, 40},   /* filled rectangle */
    {40, 19},   /* its thick border */
    {110, 40},  /* round rectangle */
    {180, 40},  /* oval turned off the axes, filled */
    {180, 12},  /* outside it */
    {250, 45},  /* arc wedge */
    {40, 130},  /* figure */
    {250, 150}, /* turned BMP, middle */
    {300, 190}, /* background */
};

static ObjectHeader* Add(ObjectHeader* shape, double x, double y, int32_t colour) {
    Object2DDoubleSetter(shape, kX, x);
    Object2DDoubleSetter(shape, kY, y);
    intSetter(shape, kFillColor, colour);
    Group2DAppend(sShapes, shape);
    return shape;
}

static void Outline(ObjectHeader* shape, int32_t colour, double width) {
    doublePercentSetter(shape, kBorder, 100);
    intSetter(shape, kBorderColor, colour);
    doubleSetter(shape, kBorderWidth, width);
}

static void BuildShapes(void) {
    ObjectHeader* shape;
    ObjectHeader* image = RuntimeGetBitmapFromResourceManager(129);
    sShapes = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("Group2D")));

    shape = Add(RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("RectShape"))), 40, 40, 0xCC3300);
    doubleSetter(shape, kWidth, 50);
    doubleSetter(shape, kHeight, 40);
    Outline(shape, 0x003399, 6);
    RuntimeUnlockObject(shape);

    shape = Add(RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("RoundRectShape"))), 110, 40, 0x00AA44);
    doubleSetter(shape, kWidth, 60);
    doubleSetter(shape, kHeight, 40);
    doubleSetter(shape, kCorner, 20);
    doubleSetter(shape, kCorner + 8, 20);
    Outline(shape, 0x000000, 1);
    RuntimeUnlockObject(shape);

    shape = Add(RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("OvalShape"))), 180, 40, 0xFFCC00);
    doubleSetter(shape, kWidth, 60);
    doubleSetter(shape, kHeight, 30);
    Object2DDoubleSetter(shape, kRotation, 0.7);
    Outline(shape, 0x660066, 3);
    RuntimeUnlockObject(shape);

    shape = Add(RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("OvalShape"))), 110, 100, 0x99CCFF);
    doubleSetter(shape, kWidth, 40);
    doubleSetter(shape, kHeight, 20);
    Outline(shape, 0x003366, 2);
    RuntimeUnlockObject(shape);

    shape = Add(RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("ArcShape"))), 240, 40, 0x3366CC);
    doubleSetter(shape, kWidth, 50);
    doubleSetter(shape, kHeight, 50);
    doubleSetter(shape, kArcAngle, 2);
    Outline(shape, 0xCC0000, 3);
    RuntimeUnlockObject(shape);

    shape = Add(RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("CurveShape"))), 180, 80, 0);
    doubleSetter(shape, kX2, 300);
    doubleSetter(shape, kY2, 100);
    CurveOrderSetter(shape, 144, 2);
    CurveSetControlX(shape, 0, 220);
    CurveSetControlY(shape, 0, 40);
    CurveSetControlX(shape, 1, 260);
    CurveSetControlY(shape, 1, 130);
    Outline(shape, 0x009999, 4);
    RuntimeUnlockObject(shape);

    shape = Add(RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("FigureShape"))), 0, 0, 0x996633);
    FigureShapeAddLine(shape, 10, 110, 70, 110);
    FigureShapeAddQuad(shape, 70, 110, 70, 170, 90, 140);
    FigureShapeAddCubic(shape, 70, 170, 10, 110, 40, 190, 0, 150);
    Outline(shape, 0x000000, 1);
    RuntimeUnlockObject(shape);

    shape = Add(RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("StringShape"))), 150, 150, 0x000080);
    stringSetter(shape, kText, QV_LITERAL("Turned text"));
    doubleSetter(shape, kTextSize, 18);
    Object2DDoubleSetter(shape, kRotation, -0.5235987755982988);
    RuntimeUnlockObject(shape);

    shape = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("PixmapShape")));
    PixmapShapeImageCtor(shape, image);
    doubleSetter(shape, kWidth, 48);
    doubleSetter(shape, kHeight, 48);
    Object2DDoubleSetter(shape, kRotation, 0.4);
    Add(shape, 250, 150, 0);
    RuntimeUnlockObject(shape);
    RuntimeUnlockObject(image);
}

/* The same drawing in a white picture, read at the chosen points. */
static void PrintExpected(void) {
    ObjectHeader* picture = newPicture(kWidthPixels, kHeightPixels, 32);
    ObjectHeader* g = pictureGraphicsGetter(picture);
    ObjectHeader* surface;
    uint32_t i;
    RuntimeGraphicsDrawObject(g, sShapes);
    RuntimeUnlockObject(g);
    surface = pictureRGBSurfaceGetter(picture);
    for (i = 0; i < sizeof kPoints / sizeof kPoints[0]; i++) {
        int32_t colour = rgbSurfaceGetPixel(surface, kPoints[i][0], kPoints[i][1]);
        Print("expect ");
        PrintInt(kPoints[i][0]);
        Print(",");
        PrintInt(kPoints[i][1]);
        Print("=");
        PrintInt((colour >> 16) & 0xFF);
        Print(",");
        PrintInt((colour >> 8) & 0xFF);
        Print(",");
        PrintInt(colour & 0xFF);
        Print("\n");
    }
    RuntimeUnlockObject(surface);
    RuntimeUnlockObject(picture);
}

static void QV_CDECL OnWindowLayout(ObjectHeader* self) {
    windowTitleSetter(self, 0, QV_LITERAL("Quorvane shapes"));
    windowPosSetter(self, 0, 40);
    windowPosSetter(self, 1, 60);
    windowPosSetter(self, 2, kWidthPixels);
    windowPosSetter(self, 3, kHeightPixels);
    windowBackColorSetter(self, 0, 0xFFFFFF);
    windowHasBackColorSetter(self, 0, 1);
    WindowVisibleSetter(self, 0, 1);
}

static void QV_CDECL OnWindowPaint(ObjectHeader* self, ObjectHeader* g) {
    RuntimeGraphicsDrawObject(g, sShapes);
    if (sPainted++) return;
    Print("Paint ");
    sWindowHandle = (void*)(intptr_t)WindowHandleGetter(self, 0);
    if (!CaptureAfterPaint()) PostMessageA(sWindowHandle, 0x10, 0, 0);
}

static void QV_CDECL OnOpen(ObjectHeader* self) {
    ClassRecord* windowClass = Subclass(RuntimeLookupClass(QV_LITERAL("Window")),
                                        QV_LITERAL("ShapesWindow"), 0, "Layout",
                                        (void*)OnWindowLayout);
    ObjectHeader* window;
    (void)self;
    SetEventHandler(windowClass, "Paint", (void*)OnWindowPaint);
    window = RuntimeNewObject(windowClass);
    WindowDefaultConstructor(window);
    RuntimeUnlockObject(window);
}

void QvMain(void) {
    ClassRecord* own;
    ObjectHeader* application;
    int32_t i;
    RuntimeInit();
    RuntimeInitExternalClasses();
    BuildShapes();
    PrintExpected();
    own = Subclass(RuntimeLookupClass(QV_LITERAL("application")), QV_LITERAL("ShapesApp"), 0,
                   "Open", (void*)OnOpen);
    application = RuntimeNewObject(own);
    for (i = 0; i < own->propertyCount; i++)
        if (Equal(own->properties[i].descriptor, "AutoQuit%b%"))
            ((void(QV_CDECL*)(ObjectHeader*, int32_t, int32_t))own->properties[i].setter)(
                application, own->properties[i].parameter, 1);
    RuntimeRegisterAppObject(application);
    RuntimeUnlockObject(application);
    RuntimeRun();
    RuntimeUnlockObject(sShapes);
    if (sCapture) RuntimeUnlockObject(sCapture);
    Print("Run returned\n");
    RuntimeExit();
}
