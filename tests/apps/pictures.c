/* Pictures and their Graphics as compiled code uses them: packing, drawing lines, text, polygons
 * and pictures, the properties of vector and 4-bit pictures, masks, shared images, a 'BMP '
 * resource (python.bmp, a 124-byte header with bit-field masks), flood fill and Transform. */
#include "OutputLine.h"

int32_t QV_CDECL RuntimeInit(void);
void QV_CDECL RuntimeInitExternalClasses(void);
int32_t QV_CDECL RuntimeExit(void);
ObjectHeader* QV_CDECL newPicture(int32_t width, int32_t height, int32_t depth);
StringRecord* QV_CDECL PicturePacker(ObjectHeader* picture);
ObjectHeader* QV_CDECL pictureGraphicsGetter(ObjectHeader* picture);
ObjectHeader* QV_CDECL pictureRGBSurfaceGetter(ObjectHeader* picture);
ObjectHeader* QV_CDECL pictureMaskGetter(ObjectHeader* picture);
ObjectHeader* QV_CDECL pictureIndexedImage(ObjectHeader* picture, int32_t index);
ObjectHeader* QV_CDECL pictureGroup2DGetter(ObjectHeader* picture);
int32_t QV_CDECL pictureWidthGetter(ObjectHeader* picture);
int32_t QV_CDECL pictureHeightGetter(ObjectHeader* picture);
int32_t QV_CDECL PictureDepthGetter(ObjectHeader* picture);
int32_t QV_CDECL pictureImageCountGetter(ObjectHeader* picture);
int32_t QV_CDECL PictureHResGetter(ObjectHeader* picture);
void QV_CDECL RuntimeGraphicsDrawLine(ObjectHeader* g, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void QV_CDECL RuntimeGraphicsDrawStringCondensed(ObjectHeader* g, StringRecord* text, int32_t x,
                                                 int32_t y, int32_t width, int32_t condense);
void QV_CDECL RuntimeGraphicsDrawPicture(ObjectHeader* g, ObjectHeader* picture, int32_t x,
                                         int32_t y, int32_t w1, int32_t h1, int32_t sx, int32_t sy,
                                         int32_t w2, int32_t h2);
void QV_CDECL graphicsFillPolygon(ObjectHeader* g, ArrayRecord* points);
int32_t QV_CDECL graphicsPixelGetter(ObjectHeader* g, int32_t x, int32_t y);
void QV_CDECL graphicsPixelSetter(ObjectHeader* g, int32_t x, int32_t y, int32_t colour);
int32_t QV_CDECL graphicsForeColorGetter(ObjectHeader* g);
void QV_CDECL graphicsForeColorSetter(ObjectHeader* g, int32_t colour);
void QV_CDECL graphicsBoldSetter(ObjectHeader* g, int32_t value);
void QV_CDECL graphicsItalicSetter(ObjectHeader* g, int32_t value);
int32_t QV_CDECL graphicsBoldGetter(ObjectHeader* g);
int32_t QV_CDECL graphicsItalicGetter(ObjectHeader* g);
int32_t QV_CDECL rgbSurfaceGetPixel(ObjectHeader* surface, int32_t x, int32_t y);
void QV_CDECL rgbSurfaceSeedFill(ObjectHeader* surface, int32_t x, int32_t y, int32_t colour);
void QV_CDECL rgbSurfaceTransform(ObjectHeader* surface, ArrayRecord* map);
ObjectHeader* QV_CDECL RuntimeGetBitmapFromResourceManager(int32_t id);

/* A hash of the packed pixels (each step times 31 plus the pixel, kept in 31 bits), or -1. */
static int32_t PackedHash(StringRecord* packed, int32_t* length) {
    const uint8_t* bytes;
    uint32_t hash = 0;
    int32_t i;
    *length = packed ? (int32_t)packed->length : 0;
    if (!packed) return -1;
    bytes = (const uint8_t*)packed->buffer + 1;
    for (i = 8; i + 4 <= *length; i += 4) {
        uint32_t pixel = bytes[i] | (bytes[i + 1] << 8) | (bytes[i + 2] << 16) |
                         ((uint32_t)bytes[i + 3] << 24);
        hash = (hash * 31 + pixel) & 0x7FFFFFFF;
    }
    return (int32_t)hash;
}

static int32_t HashOf(ObjectHeader* picture) {
    int32_t length;
    StringRecord* packed = PicturePacker(picture);
    int32_t hash = PackedHash(packed, &length);
    RuntimeUnlockString(packed);
    return hash;
}

/* Pixels of the picture that are not white. */
static int32_t Inked(ObjectHeader* picture) {
    ObjectHeader* surface = pictureRGBSurfaceGetter(picture);
    int32_t x, y, count = 0;
    for (y = 0; y < pictureHeightGetter(picture); y++)
        for (x = 0; x < pictureWidthGetter(picture); x++)
            count += rgbSurfaceGetPixel(surface, x, y) != 0xFFFFFF;
    RuntimeUnlockObject(surface);
    return count;
}

void QvMain(void) {
    ObjectHeader *small, *a, *b, *ga, *gb, *vector, *four, *mask, *again, *shared, *gs, *bmp;
    ObjectHeader *text, *gt, *target, *gtarget, *white, *surface, *objects;
    ArrayRecord *points, *inverse;
    StringRecord* packed;
    int32_t length, hash, i;

    RuntimeInit();
    RuntimeInitExternalClasses();

    small = newPicture(3, 2, 32);
    packed = PicturePacker(small);
    hash = PackedHash(packed, &length);
    AppendText("pictures: pack ");
    AppendNumber(length);
    AppendText(" first ");
    /* The blue and red bytes of the first pixel. */
    AppendNumber(((const uint8_t*)packed->buffer + 1)[8] | (((const uint8_t*)packed->buffer + 1)[10] << 16));
    RuntimeUnlockString(packed);

    a = newPicture(12, 12, 32);
    b = newPicture(12, 12, 32);
    ga = pictureGraphicsGetter(a);
    gb = pictureGraphicsGetter(b);
    RuntimeGraphicsDrawLine(ga, 0, 5, 10, 5);
    RuntimeGraphicsDrawLine(gb, 10, 5, 0, 5);
    AppendText(" lines ");
    AppendNumber(Inked(a));
    AppendText(HashOf(a) == HashOf(b) ? " same" : " differ");
    graphicsForeColorSetter(ga, 0xFF8000);
    AppendText(" forecolor ");
    AppendNumber(graphicsForeColorGetter(ga));
    graphicsBoldSetter(ga, 1);
    graphicsItalicSetter(ga, 1);
    AppendText(" bold ");
    AppendNumber(graphicsBoldGetter(ga) & 0xFF);
    AppendText(" italic ");
    AppendNumber(graphicsItalicGetter(ga) & 0xFF);
    graphicsPixelSetter(ga, 1, 1, 0x123456);
    AppendText(" pixel ");
    AppendNumber(graphicsPixelGetter(ga, 1, 1));

    points = CreateArray(1, kArrayInt32, 8);
    ((int32_t*)points->data)[1] = 0;
    ((int32_t*)points->data)[2] = 0;
    ((int32_t*)points->data)[3] = 0;
    ((int32_t*)points->data)[4] = 11;
    ((int32_t*)points->data)[5] = 11;
    ((int32_t*)points->data)[6] = 11;
    ((int32_t*)points->data)[7] = 0;
    ((int32_t*)points->data)[8] = 0;
    graphicsFillPolygon(gb, points);
    AppendText(" polygon ");
    AppendNumber(Inked(b) > 12 ? 1 : 0);
    RuntimeUnlockArray(points);

    text = newPicture(60, 20, 32);
    gt = pictureGraphicsGetter(text);
    RuntimeGraphicsDrawStringCondensed(gt, QV_LITERAL("A long line of text"), 0, 15, 30, 1);
    AppendText(" condensed ");
    AppendNumber(Inked(text) > 0 ? 1 : 0);

    target = newPicture(30, 30, 32);
    gtarget = pictureGraphicsGetter(target);
    RuntimeGraphicsDrawPicture(gtarget, a, 0, 0, -10000, -10000, -10, 0, -10000, -10000);
    RuntimeGraphicsDrawPicture(gtarget, b, 0, 20, -10000, -10000, 0, -5, -10000, 0);
    AppendText(" drawn ");
    AppendNumber(Inked(target));

    vector = newPicture(100, 50, 0);
    objects = pictureGroup2DGetter(vector);
    AppendText(" vector ");
    AppendNumber(pictureWidthGetter(vector));
    AppendText(" ");
    AppendNumber(pictureHeightGetter(vector));
    AppendText(" ");
    AppendNumber(PictureDepthGetter(vector));
    AppendText(" ");
    AppendNumber(pictureImageCountGetter(vector));
    AppendText(" ");
    AppendNumber(PictureHResGetter(vector));
    AppendText(pictureGraphicsGetter(vector) || pictureRGBSurfaceGetter(vector) ||
                       pictureMaskGetter(vector) || !objects
                   ? " objects"
                   : " nil");
    four = newPicture(100, 50, 2);
    AppendText(" four ");
    AppendNumber(PictureDepthGetter(four));
    AppendText(pictureRGBSurfaceGetter(four) ? " surface" : " nil");

    mask = pictureMaskGetter(a);
    again = pictureMaskGetter(a);
    AppendText(mask == again ? " mask same" : " mask differs");
    shared = pictureIndexedImage(small, 0);
    gs = pictureGraphicsGetter(shared);
    graphicsPixelSetter(gs, 0, 0, 0x00FF00);
    AppendText(" shared ");
    HashOf(small);
    surface = pictureRGBSurfaceGetter(small);
    AppendNumber(rgbSurfaceGetPixel(surface, 0, 0));
    RuntimeUnlockObject(surface);

    bmp = RuntimeGetBitmapFromResourceManager(128);
    AppendText(" bmp ");
    AppendNumber(pictureWidthGetter(bmp));
    AppendText("x");
    AppendNumber(pictureHeightGetter(bmp));
    AppendText(" hash ");
    AppendNumber(HashOf(bmp));

    white = newPicture(100, 100, 32);
    surface = pictureRGBSurfaceGetter(white);
    rgbSurfaceSeedFill(surface, 50, 50, 0x0000FF);
    AppendText(" filled ");
    AppendNumber(Inked(white));
    inverse = CreateArray(1, kArrayInt32, 255);
    for (i = 0; i < 256; i++) ((int32_t*)inverse->data)[i] = 255 - i;
    rgbSurfaceTransform(surface, inverse);
    AppendText(" transformed ");
    AppendNumber(rgbSurfaceGetPixel(surface, 0, 0));
    RuntimeUnlockArray(inverse);
    WriteLine();

    RuntimeUnlockObject(surface);
    RuntimeUnlockObject(white);
    RuntimeUnlockObject(bmp);
    RuntimeUnlockObject(gs);
    RuntimeUnlockObject(shared);
    RuntimeUnlockObject(again);
    RuntimeUnlockObject(mask);
    RuntimeUnlockObject(four);
    RuntimeUnlockObject(objects);
    RuntimeUnlockObject(vector);
    RuntimeUnlockObject(gtarget);
    RuntimeUnlockObject(target);
    RuntimeUnlockObject(gt);
    RuntimeUnlockObject(text);
    RuntimeUnlockObject(gb);
    RuntimeUnlockObject(ga);
    RuntimeUnlockObject(b);
    RuntimeUnlockObject(a);
    RuntimeUnlockObject(small);
    (void)hash;
    RuntimeExit();
}
