// The script classes of the native classes: one process-wide slot per class, filled by the
// set-up's class checks (script_system_setup.h) and read by the native objects'
// constructors, which attach each new object to its class. A slot is null until its check
// found the class; an object whose class is unknown is not made.
#pragma once

class GSClass;

struct ScriptClassSlots {
    GSClass* gameObject = nullptr;  // checked, never read here
    GSClass* kuid = nullptr;
    GSClass* soup = nullptr;
    GSClass* htmlBuffer = nullptr;
    GSClass* kuidList = nullptr;
    GSClass* stringTable = nullptr;
    GSClass* asset = nullptr;
    GSClass* onlineAccess = nullptr;
    GSClass* onlineGroup = nullptr;
    GSClass* image = nullptr;
    GSClass* library = nullptr;
    GSClass* securityToken = nullptr;
    GSClass* constructorsBase = nullptr;  // checked, never read here
};

ScriptClassSlots& ScriptClasses();
