// The image object: construction and loading, colours, the bitmap's replacement and
// resizing, soup export and import, and the registration of the "Image" natives.
#include "script_natives/gso_image.h"

#include <cmath>
#include <string>

#include "foundation/soup/chunk_ref.h"
#include "script_natives/gso_soup.h"
#include "script_natives/native_arguments.h"
#include "script_natives/native_registration.h"
#include "script_natives/script_class_slots.h"
#include "script_natives/script_system_setup.h"
#include "script_runtime/gs_stack.h"

namespace {

const MemberNative<GSOImage> kImageNatives[] = {
    {"$void@Image::Clear(int,int)", &GSOImage::Clear},
    {"$void@Image::Resize(int,int,bool)", &GSOImage::Resize},
    {"$int@Image::GetWidth()", &GSOImage::GetWidth},
    {"$int@Image::GetHeight()", &GSOImage::GetHeight},
    {"$void@Image::SetLineColor(float,float,float,float)", &GSOImage::SetLineColor},
    {"$void@Image::SetFillColor(float,float,float,float)", &GSOImage::SetFillColor},
    {"$void@Image::DrawPoint(int,int)", &GSOImage::DrawPoint},
    {"$void@Image::DrawRect(int,int,int,int)", &GSOImage::DrawRect},
    {"$void@Image::DrawLine(int,int,int,int)", &GSOImage::DrawLine},
    {"$void@Image::DrawCircle(int,int,int)", &GSOImage::DrawCircle},
    {"$void@Image::DrawTriangle(int,int,int,int,int,int)", &GSOImage::DrawTriangle},
    {"$void@Image::DrawImage(int,int,Image)", &GSOImage::DrawImageAt},
    {"$void@Image::DrawImage(int,int,int,int,Image)", &GSOImage::DrawImageInRect},
    {"$void@Image::DrawImage(int,int,int,int,Image,int,int,int,int)", &GSOImage::DrawImagePart},
    {"$void@Image::SetTextFont(string,int)", &GSOImage::SetTextFont},
    {"$int@Image::MeasureTextWidth(string)", &GSOImage::MeasureTextWidth},
    {"$void@Image::DrawText(int,int,string)", &GSOImage::DrawText},
    {"$Soup@Image::ExportImage()", &GSOImage::ExportImage},
    {"$void@Image::ImportImage(Soup)", &GSOImage::ImportImage},
};

uint8_t PackComponent(float component) {
    if (std::isnan(component)) return 0;
    const double clamped = std::fmin(std::fmax(static_cast<double>(component), 0.0), 255.0);
    return static_cast<uint8_t>(static_cast<uint32_t>(clamped * 255.0 + 0.5) & 0xFF);
}

}  // namespace

void RegisterImageNatives(GSMachine& machine) {
    RegisterMemberNatives<GSOImage>(machine, "Image", kImageNatives);
}

GSOImage* GSOImage::Construct(GSContext* context) {
    auto* object = new GSOImage();
    if (object->Attach(ScriptClasses().image, context)) return object;
    delete object;
    return nullptr;
}

GSOImage* GSOImage::CreateFromFile(GSContext* context, const char* location, const char* path) {
    std::string error;
    std::unique_ptr<Kiv::Bitmap> bitmap = Kiv::Bitmap::Load(path, location, false, error);
    if (!bitmap) return nullptr;
    GSOImage* image = Construct(context);
    if (image) image->bitmap_ = std::move(bitmap);
    return image;
}

GSOImage::PackedColor GSOImage::PackColor(float c1, float c2, float c3, float c4) {
    return {PackComponent(c3), PackComponent(c2), PackComponent(c1), PackComponent(c4)};
}

Kiv::BitmapColor GSOImage::Colour(const PackedColor& packed) {
    return Kiv::BitmapColor{{packed[0], packed[1], packed[2], packed[3]}};
}

void GSOImage::ReplaceBitmap(int32_t width, int32_t height) {
    bitmap_.reset();
    if (width > 0 && height > 0) {
        bitmap_ = Kiv::Bitmap::Create(static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                                      Kiv::Bitmap::kFormatBGRA);
        if (bitmap_) bitmap_->Clear(Colour(fillColor_));
    }
    ++changeCount_;
}

void GSOImage::Clear(GSStack* stack) { ReplaceBitmap(ArgumentValue(stack, 1).i, ArgumentValue(stack, 2).i); }

void GSOImage::Resize(GSStack* stack) {
    const int32_t width = ArgumentValue(stack, 1).i, height = ArgumentValue(stack, 2).i;
    const bool scale = ArgumentValue(stack, 3).i != 0;
    const int32_t oldWidth = bitmap_ ? static_cast<int32_t>(bitmap_->GetWidth()) : 0;
    const int32_t oldHeight = bitmap_ ? static_cast<int32_t>(bitmap_->GetHeight()) : 0;
    if (width == oldWidth && height == oldHeight) return;
    if (width <= 0 || height <= 0 || !bitmap_) return ReplaceBitmap(width, height);
    std::unique_ptr<Kiv::Bitmap> resized =
        Kiv::Bitmap::Create(static_cast<uint32_t>(width), static_cast<uint32_t>(height), Kiv::Bitmap::kFormatBGRA);
    const Kiv::BitmapRect whole{0, 0, width, height};
    if (resized && scale)
        resized->Image(*bitmap_, whole, Kiv::BitmapRect{0, 0, oldWidth, oldHeight}, Kiv::Bitmap::kDrawReplace, whole);
    else if (resized)
        resized->Image(*bitmap_, Kiv::BitmapPoint{0, 0}, whole, Kiv::Bitmap::kDrawReplace);
    bitmap_ = std::move(resized);
    ++changeCount_;
}

void GSOImage::GetWidth(GSStack* stack) { stack->PushInt(bitmap_ ? static_cast<int32_t>(bitmap_->GetWidth()) : 0); }

void GSOImage::GetHeight(GSStack* stack) { stack->PushInt(bitmap_ ? static_cast<int32_t>(bitmap_->GetHeight()) : 0); }

void GSOImage::SetLineColor(GSStack* stack) {
    lineColor_ = PackColor(ArgumentValue(stack, 1).f, ArgumentValue(stack, 2).f, ArgumentValue(stack, 3).f,
                           ArgumentValue(stack, 4).f);
}

void GSOImage::SetFillColor(GSStack* stack) {
    fillColor_ = PackColor(ArgumentValue(stack, 1).f, ArgumentValue(stack, 2).f, ArgumentValue(stack, 3).f,
                           ArgumentValue(stack, 4).f);
}

void GSOImage::ExportImage(GSStack* stack) {
    stack->PushObjectNoRef(GSOSoup::CreateForSoup(Context(), ACSChunkRef()), ScriptClasses().soup);
}

void GSOImage::ImportImage(GSStack* stack) {
    GSOSoup* soup;
    if (CheckObjectArgument(stack, 1, soup)) ++changeCount_;
}
