// ScriptSource: an object whose script text can be read, replaced and carried in a stream
// (the scriptable objects, whose custom script replaces their asset's class). Safe
// pointers at a source read null once it is gone. Every operation does nothing by default.
#pragma once

#include <string>

#include "validation/specs/safe_pointer.h"

class TStream;

class ScriptSource : public SafePointerTarget<ScriptSource> {
  public:
    ScriptSource() = default;
    virtual ~ScriptSource() = default;

    virtual std::string GetScriptText() { return {}; }
    virtual void SetScriptText(const std::string&) {}
    virtual void WriteScriptText(TStream&) {}
    virtual void ReadScriptText(TStream&) {}
};
