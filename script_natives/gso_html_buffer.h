// GSOHTMLBuffer: the native object behind the script class "HTMLBuffer"; scripts print plain
// or escaped text into it and take the whole text as a string. New buffers come from the
// static class "HTMLBufferStatic" in the caller's context.
#pragma once

#include "script_natives/html_buffer.h"
#include "script_runtime/gs_object.h"

class GSOHTMLBuffer : public GSObject, public HTMLBuffer {
  public:
    // An empty buffer attached to the "HTMLBuffer" class; null when it cannot be made.
    static GSOHTMLBuffer* Construct(GSContext* context);

    void Clear(GSStack* stack);
    void IsEmpty(GSStack* stack);
    void AsString(GSStack* stack);
    void Print(GSStack* stack);
    void Escape(GSStack* stack);

  private:
    GSOHTMLBuffer() = default;
};
