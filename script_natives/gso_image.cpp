// The image object's construction.
#include "script_natives/gso_image.h"

#include "script_natives/script_class_slots.h"

GSOImage* GSOImage::Construct(GSContext* context) {
    auto* object = new GSOImage();
    if (object->Attach(ScriptClasses().image, context)) return object;
    delete object;
    return nullptr;
}
