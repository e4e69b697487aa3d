// InitScriptSystem, the class checks and the class slots.
#include "script_natives/script_system_setup.h"

#include "script_natives/script_class_slots.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_machine.h"

namespace {

struct SetupState {
    bool folderAdded = false;
    bool registered = false;
    bool succeeded = false;
};

SetupState& State() {
    static SetupState state;
    return state;
}

void RegisterAllNatives(GSMachine& machine) {
    RegisterKUIDNatives(machine);
    RegisterSoupNatives(machine);
    RegisterHTMLBufferNatives(machine);
    RegisterKUIDListNatives(machine);
    RegisterStringTableNatives(machine);
    RegisterAssetNatives(machine);
    RegisterLinkedListNatives(machine);
    RegisterOnlineAccessNatives(machine);
    RegisterOnlineGroupNatives(machine);
    RegisterLibraryNatives(machine);
    RegisterImageNatives(machine);
    RegisterKodrinScriptBaseNatives(machine);
    RegisterSecurityTokenNatives(machine);
    RegisterConstructorsBaseNatives(machine);
}

bool FindNativeClasses(GSMachine& machine) {
    return FindKUIDScriptClass(machine) && FindSoupScriptClass(machine) && FindHTMLBufferScriptClass(machine) &&
           FindKUIDListScriptClass(machine) && FindStringTableScriptClass(machine) &&
           FindAssetScriptClass(machine) && FindOnlineAccessScriptClass(machine) &&
           FindOnlineGroupScriptClass(machine) && FindImageScriptClass(machine) &&
           FindLibraryScriptClass(machine) && FindSecurityTokenScriptClass(machine) &&
           FindConstructorsBaseScriptClass(machine);
}

}  // namespace

ScriptClassSlots& ScriptClasses() {
    static ScriptClassSlots slots;
    return slots;
}

bool InitScriptSystem() { return InitScriptSystem(GSMachine::Get(), "libraries"); }

bool InitScriptSystem(GSMachine& machine, const char* folder) {
    SetupState& state = State();
    if (state.succeeded) return true;
    if (!machine.IsInitialised()) machine.Init();
    if (!state.folderAdded) state.folderAdded = machine.AddLibraryFolder(Kiv::PString(folder));
    if (!state.registered) {
        if (!FindLibraryClass(machine, "gs.gsl", "GameObject", ScriptClasses().gameObject)) return false;
        RegisterAllNatives(machine);
        state.registered = true;
    }
    state.succeeded = FindNativeClasses(machine);
    return state.succeeded;
}

void ResetScriptSystem() {
    State() = SetupState();
    ScriptClasses() = ScriptClassSlots();
}

bool FindLibraryClass(GSMachine& machine, const char* fileName, const char* className, GSClass*& slot) {
    if (!machine.IsInitialised()) machine.Init();
    GSLibrary* library = machine.GetLibraryByName(fileName);
    slot = library ? library->FindClass(className) : nullptr;
    return slot != nullptr;
}

bool FindKUIDScriptClass(GSMachine& m) { return FindLibraryClass(m, "kuid.gsl", "KUID", ScriptClasses().kuid); }
bool FindSoupScriptClass(GSMachine& m) { return FindLibraryClass(m, "Soup.gsl", "Soup", ScriptClasses().soup); }
bool FindHTMLBufferScriptClass(GSMachine& m) {
    return FindLibraryClass(m, "HTMLBuffer.gsl", "HTMLBuffer", ScriptClasses().htmlBuffer);
}
bool FindKUIDListScriptClass(GSMachine& m) {
    return FindLibraryClass(m, "KUIDList.gsl", "KUIDList", ScriptClasses().kuidList);
}
bool FindStringTableScriptClass(GSMachine& m) {
    return FindLibraryClass(m, "StringTable.gsl", "StringTable", ScriptClasses().stringTable);
}
bool FindAssetScriptClass(GSMachine& m) { return FindLibraryClass(m, "asset.gsl", "Asset", ScriptClasses().asset); }
bool FindOnlineAccessScriptClass(GSMachine& m) {
    return FindLibraryClass(m, "OnlineAccess.gsl", "OnlineAccess", ScriptClasses().onlineAccess);
}
bool FindOnlineGroupScriptClass(GSMachine& m) {
    return FindLibraryClass(m, "OnlineGroup.gsl", "OnlineGroup", ScriptClasses().onlineGroup);
}
bool FindImageScriptClass(GSMachine& m) { return FindLibraryClass(m, "Image.gsl", "Image", ScriptClasses().image); }
bool FindLibraryScriptClass(GSMachine& m) {
    return FindLibraryClass(m, "Library.gsl", "Library", ScriptClasses().library);
}
bool FindSecurityTokenScriptClass(GSMachine& m) {
    return FindLibraryClass(m, "SecurityToken.gsl", "SecurityToken", ScriptClasses().securityToken);
}
bool FindConstructorsBaseScriptClass(GSMachine& m) {
    return FindLibraryClass(m, "Constructors.gsl", "ConstructorsBase", ScriptClasses().constructorsBase);
}
