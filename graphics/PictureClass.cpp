#include "PictureClass.h"

#include <cstddef>
#include <cstring>

#include "core/DefinitionConversion.h"
#include "core/FailureReport.h"
#include "core/IntrinsicRegistry.h"
#include "graphics/GraphicsClass.h"
#include "graphics/GraphicsGDI.h"
#include "graphics/PictureImp.h"
#include "graphics/RGBSurface.h"
#include "graphics/Shapes2D.h"
#include "core/IntrinsicTypes.h"
#include "core/LinkTable.h"
#include "windows/Drawing.h"

namespace {

constexpr const char* kSource = "runPicture";

PictureObject* Fields(ObjectHeader* picture) { return reinterpret_cast<PictureObject*>(picture); }

PictureImp* Imp(ObjectHeader* picture) { return picture ? Fields(picture)->imp : nullptr; }

PropertyEntry kPictureProperties[] = {
    {kRowAttr4, "Width", AsType(&kIntegerType), RowFunction(pictureWidthGetter),
     "pictureWidthGetter", nullptr, nullptr, 0, 0},
    {kRowAttr4, "Height", AsType(&kIntegerType), RowFunction(pictureHeightGetter),
     "pictureHeightGetter", nullptr, nullptr, 0, 0},
    {kRowAttr4, "Graphics", nullptr, RowFunction(pictureGraphicsGetter), "pictureGraphicsGetter",
     nullptr, nullptr, 0, 0},
    {kRowAttr4, "Objects", nullptr, RowFunction(pictureGroup2DGetter), "pictureGroup2DGetter",
     RowFunction(pictureGroup2DSetter), "pictureGroup2DSetter", 0, 0},
    {kRowAttr4, "Transparent", AsType(&kIntegerType), RowFunction(pictureTransparentGetter),
     "pictureTransparentGetter", RowFunction(pictureTransparentSetter),
     "pictureTransparentSetter", 0, 0},
    {kRowAttr4, "RGBSurface", nullptr, RowFunction(pictureRGBSurfaceGetter),
     "pictureRGBSurfaceGetter", nullptr, nullptr, 0, 0},
    {kRowAttr4, "ImageCount", AsType(&kIntegerType), RowFunction(pictureImageCountGetter),
     "pictureImageCountGetter", nullptr, nullptr, 0, 0},
    {kRowAttr4, "Mask", nullptr, RowFunction(pictureMaskGetter), "pictureMaskGetter", nullptr,
     nullptr, 0, 0},
    {kRowAttr4, "Depth", AsType(&kIntegerType), RowFunction(PictureDepthGetter),
     "PictureDepthGetter", nullptr, nullptr, 0, 0},
    {kRowAttr4, "HorizontalResolution", AsType(&kIntegerType), RowFunction(PictureHResGetter),
     "PictureHResGetter", RowFunction(PictureHResSetter), "PictureHResSetter", 0, 0},
    {kRowAttr4, "VerticalResolution", AsType(&kIntegerType), RowFunction(PictureVResGetter),
     "PictureVResGetter", RowFunction(PictureVResSetter), "PictureVResSetter", 0, 0},
};

ParameterEntry kConstructorParameters[] = {{"width", AsType(&kIntegerType), 0, 0, 0, 0},
                                           {"height", AsType(&kIntegerType), 0, 0, 0, 0},
                                           {"depth", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kIndexParameter[] = {{"v", AsType(&kIntegerType), 0, 0, 0, 0}};

MethodEntry kPictureMethods[] = {
    {"Picture", nullptr, kConstructorParameters, 3,
     Function(PictureConstructor, "PictureConstructor"), {}, kMethodPlain, kRowAttr4, 0},
    {"IndexedImage", nullptr, kIndexParameter, 1,
     Function(pictureIndexedImage, "pictureIndexedImage"), {}, kMethodPlain, kRowAttr4, 0},
};

ConstantEntry kPictureConstants[] = {
    {0, "TransparentNone", 1, "0"},
    {0, "TransparentWhite", 1, "1"},
};

const ClassRows kPictureRows = {
    .className = "Picture",
    .superclass = nullptr,
    .objectSize = sizeof(PictureObject),
    .finalizer = Function(RuntimePictureDestructor, "RuntimePictureDestructor"),
    .properties = kPictureProperties,
    .methods = kPictureMethods,
    .constants = kPictureConstants,
};

}  // namespace

ObjectDefinition* GetPictureDefinition() {
    static ObjectDefinition definition;
    static bool typed = false;
    if (!typed) {
        // The rows are typed with these classes, this one among them.
        typed = true;
        kPictureProperties[2].type = AsType(GetGraphicsDefinition());
        kPictureProperties[3].type = AsType(GetGroup2DDefinition());
        kPictureProperties[5].type = AsType(GetRGBSurfaceDefinition());
        kPictureProperties[7].type = AsType(&definition);
        kPictureMethods[1].returnType = AsType(&definition);
    }
    return FillClassDefinition(definition, kPictureRows);
}

void RegisterPictureClass() {
    RegisterIntrinsicClass(GetPictureDefinition());
    RegisterRelocEntry("PicturePacker", PicturePacker);
}

ObjectHeader* NewPictureObject(PictureImp* picture) {
    if (!picture) return nullptr;
    ObjectHeader* object = CreateInstance(GetPictureDefinition());
    if (!object) {
        picture->Release();
        return nullptr;
    }
    Fields(object)->imp = picture;
    return object;
}

PictureImp* PictureImplementation(ObjectHeader* picture) { return Imp(picture); }

extern "C" {

ObjectHeader* newPicture(int32_t width, int32_t height, int32_t depth) {
    ObjectHeader* picture = CreateInstance(GetPictureDefinition());
    if (picture) PictureConstructor(picture, width, height, depth);
    return picture;
}

void PictureConstructor(ObjectHeader* picture, int32_t width, int32_t height, int32_t depth) {
    if (!picture) return;
    PictureObject* fields = Fields(picture);
    fields->width = width;
    fields->height = height;
    if (depth <= 0) {
        fields->objects = CreateInstance(GetGroup2DDefinition());
        return;
    }
    fields->imp = new OffscreenPicture(width, height, depth);
}

int32_t pictureWidthGetter(ObjectHeader* picture) {
    if (!picture) return 0;
    if (PictureImp* imp = Imp(picture)) {
        int32_t width = 0, height = 0;
        imp->GetSize(width, height);
        return width;
    }
    return Fields(picture)->objects ? Fields(picture)->width : 0;
}

int32_t pictureHeightGetter(ObjectHeader* picture) {
    if (!picture) return 0;
    if (PictureImp* imp = Imp(picture)) {
        int32_t width = 0, height = 0;
        imp->GetSize(width, height);
        return height;
    }
    return Fields(picture)->objects ? Fields(picture)->height : 0;
}

ObjectHeader* pictureGraphicsGetter(ObjectHeader* picture) {
    PictureImp* imp = Imp(picture);
    if (!imp) return nullptr;
    PictureObject* fields = Fields(picture);
    if (!fields->graphics) {
        GraphicsImp* graphics = imp->NewGraphics();
        if (!graphics) {
            ReportAssertion(kSource, 195, "theGfx");
            return nullptr;
        }
        if (GraphicsGDI* gdi = graphics->AsGraphicsGDI()) {
            gdi->mHorizontalResolution = imp->HResolution();
            gdi->mVerticalResolution = imp->VResolution();
        }
        fields->graphics = NewGraphicsObject(graphics);
        if (!fields->graphics) return nullptr;
    }
    RuntimeLockObject(fields->graphics);
    return fields->graphics;
}

ObjectHeader* pluginPictureGraphicsGetter(ObjectHeader* picture) {
    return pictureGraphicsGetter(picture);
}

ObjectHeader* pictureGroup2DGetter(ObjectHeader* picture) {
    if (!picture) return nullptr;
    ObjectHeader* objects = Fields(picture)->objects;
    if (objects) RuntimeLockObject(objects);
    return objects;
}

void pictureGroup2DSetter(ObjectHeader* picture, ObjectHeader* group) {
    if (!picture) return;
    if (group) RuntimeLockObject(group);
    RuntimeUnlockObject(Fields(picture)->objects);
    Fields(picture)->objects = group;
}

ObjectHeader* pictureRGBSurfaceGetter(ObjectHeader* picture) {
    PictureImp* imp = Imp(picture);
    if (!imp) return nullptr;
    int32_t depth = 0, rowBytes = 0;
    uint8_t* bits = nullptr;
    if (!imp->GetPixels(depth, bits, rowBytes)) return nullptr;
    if (depth <= 15) {
        imp->ReleasePixels();
        return nullptr;
    }
    ObjectHeader* surface = CreateInstance(GetRGBSurfaceDefinition());
    if (!surface) {
        imp->ReleasePixels();
        return nullptr;
    }
    auto* fields = reinterpret_cast<RGBSurfaceObject*>(surface);
    RuntimeLockObject(picture);
    fields->picture = picture;
    imp->GetSize(fields->width, fields->height);
    fields->bits = bits;
    fields->rowBytes = rowBytes;
    fields->depth = depth;
    return surface;
}

int32_t pictureImageCountGetter(ObjectHeader* picture) {
    PictureImp* imp = Imp(picture);
    return imp ? imp->ImageCount() : 0;
}

ObjectHeader* pictureIndexedImage(ObjectHeader* picture, int32_t index) {
    PictureImp* imp = Imp(picture);
    if (!imp) return nullptr;
    return NewPictureObject(imp->IndexedImage(index));
}

ObjectHeader* pictureMaskGetter(ObjectHeader* picture) {
    PictureImp* imp = Imp(picture);
    if (!picture) return nullptr;
    PictureObject* fields = Fields(picture);
    if (imp && !fields->mask) {
        // A mask the implementation already had (shared with another Picture) keeps its pixels;
        // a new one starts fully opaque.
        const bool made = imp->GetMask() == nullptr;
        imp->EnsureMask();
        PictureImp* mask = imp->GetMask();
        mask->Retain();
        fields->mask = NewPictureObject(mask);
        if (made) {
            int32_t width = 0, height = 0;
            imp->GetSize(width, height);
            if (GraphicsImp* graphics = mask->NewGraphics()) {
                graphics->PaintRect(MakeRect16(0, 0, width, height));
                DisposeGraphicsImp(graphics);
            }
        }
    }
    if (fields->mask) RuntimeLockObject(fields->mask);
    return fields->mask;
}

int32_t PictureDepthGetter(ObjectHeader* picture) {
    PictureImp* imp = Imp(picture);
    return imp ? imp->Depth() : 0;
}

int32_t PictureHResGetter(ObjectHeader* picture) {
    PictureImp* imp = Imp(picture);
    return imp ? imp->HResolution() : 72;
}

int32_t PictureVResGetter(ObjectHeader* picture) {
    PictureImp* imp = Imp(picture);
    return imp ? imp->VResolution() : 72;
}

void PictureHResSetter(ObjectHeader* picture, int32_t value) {
    if (PictureImp* imp = Imp(picture)) imp->SetHResolution(value);
}

void PictureVResSetter(ObjectHeader* picture, int32_t value) {
    if (PictureImp* imp = Imp(picture)) imp->SetVResolution(value);
}

void RuntimePictureDestructor(ObjectHeader* picture) {
    PictureObject* fields = Fields(picture);
    EndAllDrawing();
    RuntimeUnlockObject(fields->mask);
    fields->mask = nullptr;
    if (fields->graphics) {
        // The Graphics may outlive the picture; its graphics loses the pane that goes away.
        if (GraphicsImp* graphics = GraphicsImplementation(fields->graphics)) graphics->DetachPane();
        RuntimeUnlockObject(fields->graphics);
        fields->graphics = nullptr;
    }
    if (fields->imp) fields->imp->Release();
    fields->imp = nullptr;
    RuntimeUnlockObject(fields->objects);
    fields->objects = nullptr;
}

StringRecord* PicturePacker(ObjectHeader* picture) {
    if (!picture) return nullptr;
    const int32_t width = pictureWidthGetter(picture);
    const int32_t height = pictureHeightGetter(picture);
    if (width < 0 || height < 0) return nullptr;
    const int64_t total = 8 + 4 * static_cast<int64_t>(width) * height;
    if (total > 0x7FFFFFFF) return nullptr;
    string result;
    auto* out = reinterpret_cast<uint8_t*>(result.AllocateBytes(static_cast<int32_t>(total)));
    if (!out) return nullptr;
    result.SetEncoding(kEncodingUnknown);
    std::memset(out, 0, static_cast<size_t>(total));
    std::memcpy(out, &width, 4);
    std::memcpy(out + 4, &height, 4);

    PictureObject* fields = Fields(picture);
    ObjectHeader* surface = nullptr;
    ObjectHeader* temporary = nullptr;
    if (!fields->mask && ShapeMemberCount(fields->objects) == 0)
        surface = pictureRGBSurfaceGetter(picture);
    if (!surface) {
        temporary = newPicture(width, height, 32);
        if (!temporary) {
            ReportAssertion(kSource, 445, "tempPicture");
            return result.Detach();
        }
        ObjectHeader* graphics = pictureGraphicsGetter(temporary);
        if (!graphics) {
            ReportAssertion(kSource, 447, "tempG");
        } else {
            RuntimeGraphicsDrawPicture(graphics, picture, 0, 0, width, height, 0, 0, width, height);
            EndAllDrawing();
            RuntimeUnlockObject(graphics);
        }
        surface = pictureRGBSurfaceGetter(temporary);
    }
    if (surface) {
        const auto* s = reinterpret_cast<RGBSurfaceObject*>(surface);
        uint8_t* to = out + 8;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x, to += 4) {
                const uint32_t pixel = ReadSurfacePixel(s->bits, s->rowBytes, s->depth, x, y);
                std::memcpy(to, &pixel, 4);
            }
        RuntimeUnlockObject(surface);
    }
    RuntimeUnlockObject(temporary);
    return result.Detach();
}

int32_t pictureTransparentGetter(ObjectHeader* picture) {
    return picture ? Fields(picture)->transparent : 0;
}

void pictureTransparentSetter(ObjectHeader* picture, int32_t value) {
    if (picture) Fields(picture)->transparent = value;
}

}  // extern "C"
