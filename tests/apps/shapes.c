/* Vector shapes as compiled code uses them: made through their classes, set through their link
 * names and the field offsets compiled code knows, bounds errors raised into the application's
 * Try, a figure built from lines and curves, and a vector picture drawn and packed to pixels. */
#include "AppSupport.h"

ObjectHeader* QV_CDECL newPicture(int32_t width, int32_t height, int32_t depth);
ObjectHeader* QV_CDECL pictureGroup2DGetter(ObjectHeader* picture);
StringRecord* QV_CDECL PicturePacker(ObjectHeader* picture);
double QV_CDECL doubleGetter(ObjectHeader* object, int32_t offset);
void QV_CDECL doubleSetter(ObjectHeader* object, int32_t offset, double value);
int32_t QV_CDECL intGetter(ObjectHeader* object, int32_t offset);
void QV_CDECL intSetter(ObjectHeader* object, int32_t offset, int32_t value);

/* Field offsets of the shapes. */
enum {
    kFillColor = 28,
    kX = 40,
    kY = 48,
    kFill = 72,
    kWidth = 96,
    kHeight = 104,
    kOrder = 144,
};

static ObjectHeader* sShape;
static int32_t sIndex;

/* A new shape of the class of that name. */
#define NEW_SHAPE(name) RuntimeNewObject(RuntimeLookupClass(QV_LITERAL(name)))

static void Attempt(const char* label, TryBody body) {
    ObjectHeader* caught = 0;
    Print(" ");
    Print(label);
    if (QvTry(body, &caught) == 2) {
        Print(" caught ");
        PrintString(caught->classPtr->name);
        RuntimeUnlockObject(caught);
    } else {
        Print(" passed");
    }
}

static void QV_CDECL SetOrder(ObjectHeader* volatile* raised) {
    (void)raised;
    CurveOrderSetter(sShape, kOrder, sIndex);
}

static void QV_CDECL GetItem(ObjectHeader* volatile* raised) {
    ObjectHeader* item = Group2DGetItem(sShape, sIndex);
    if (*raised) return;
    RuntimeUnlockObject(item);
}

static void QV_CDECL Insert(ObjectHeader* volatile* raised) {
    (void)raised;
    Group2DInsert(sShape, sIndex, sShape);
}

void QvMain(void) {
    ObjectHeader* rect;
    ObjectHeader* curve;
    ObjectHeader* group;
    ObjectHeader* vector;
    ObjectHeader* pixmap;
    ObjectHeader* figure;
    ObjectHeader* objects;
    ObjectHeader* item;
    StringRecord* packed;
    const uint8_t* bytes;
    int32_t i;
    RuntimeInit();
    RuntimeInitExternalClasses();

    rect = NEW_SHAPE("RectShape");
    Print("rect:");
    Print(" ");
    PrintInt((int32_t)doubleGetter(rect, kWidth));
    Print("x");
    PrintInt((int32_t)doubleGetter(rect, kHeight));
    Print(" fill ");
    PrintInt((int32_t)doublePercentGetter(rect, kFill));
    Print(" contains ");
    PrintInt(RectShapeContains(rect, 0, 0));
    Print(" edge ");
    PrintInt(RectShapeContains(rect, 50, 0));
    Print("\n");

    curve = NEW_SHAPE("CurveShape");
    sShape = curve;
    Print("curve: fill ");
    PrintInt((int32_t)doublePercentGetter(curve, kFill));
    sIndex = 2;
    Attempt("order 2", SetOrder);
    sIndex = 3;
    Attempt("order 3", SetOrder);
    Print(" order ");
    PrintInt(intGetter(curve, kOrder));
    Print("\n");

    group = NEW_SHAPE("Group2D");
    Group2DAppend(group, rect);
    Group2DAppend(group, curve);
    Object2DDoubleSetter(group, kX, 10);
    Print("group: count ");
    PrintInt(Group2DCount(group));
    Print(" moved ");
    PrintInt((int32_t)doubleGetter(rect, kX));
    PrintInt((int32_t)doubleGetter(curve, kX));
    sShape = group;
    sIndex = 2;
    Attempt("item(count)", GetItem);
    Attempt("insert(count)", Insert);
    sIndex = 4;
    Attempt("insert(count+1)", Insert);
    Print(" count ");
    PrintInt(Group2DCount(group));
    Print("\n");

    vector = newPicture(40, 20, 0);
    pixmap = NEW_SHAPE("PixmapShape");
    PixmapShapeImageCtor(pixmap, vector);
    Print("pixmap: vector ");
    PrintInt((int32_t)doubleGetter(pixmap, kWidth));
    Print("x");
    PrintInt((int32_t)doubleGetter(pixmap, kHeight));
    Print("\n");

    figure = NEW_SHAPE("FigureShape");
    FigureShapeAddLine(figure, 0, 0, 10, 0);
    FigureShapeAddQuad(figure, 10, 0, 10, 10, 15, 5);
    FigureShapeAddCubic(figure, 10, 10, 0, 0, 5, 10, 0, 5);
    Print("figure: count ");
    PrintInt(Group2DCount(figure));
    Print(" orders");
    for (i = 0; i < Group2DCount(figure); i++) {
        item = Group2DGetItem(figure, i);
        Print(" ");
        PrintInt(intGetter(item, kOrder));
        RuntimeUnlockObject(item);
    }
    Print("\n");

    /* A green 20 x 10 rectangle in the middle of the vector picture, packed to pixels. */
    doubleSetter(rect, kWidth, 20);
    doubleSetter(rect, kHeight, 10);
    Object2DDoubleSetter(rect, kX, 20);
    Object2DDoubleSetter(rect, kY, 10);
    intSetter(rect, kFillColor, 0x00FF00);
    objects = pictureGroup2DGetter(vector);
    Group2DAppend(objects, rect);
    packed = PicturePacker(vector);
    bytes = (const uint8_t*)packed->buffer + 1;
    Print("packed: ");
    PrintInt(packed->length);
    Print(" centre ");
    PrintInt(bytes[8 + 4 * (10 * 40 + 20)] | bytes[8 + 4 * (10 * 40 + 20) + 1] << 8 |
             bytes[8 + 4 * (10 * 40 + 20) + 2] << 16);
    Print(" corner ");
    PrintInt(bytes[8] | bytes[9] << 8 | bytes[10] << 16);
    Print("\n");

    RuntimeUnlockString(packed);
    RuntimeUnlockObject(objects);
    RuntimeUnlockObject(figure);
    RuntimeUnlockObject(pixmap);
    RuntimeUnlockObject(vector);
    RuntimeUnlockObject(group);
    RuntimeUnlockObject(curve);
    RuntimeUnlockObject(rect);
    RuntimeExit();
}
