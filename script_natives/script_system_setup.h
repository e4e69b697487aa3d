// The script system's set-up, run once before the first asset's scripts compile: the
// installation's "libraries" folder is registered with the machine, "gs.gsl" must give the
// class "GameObject", the fourteen registrars bind the natives of the native classes, and
// each native class must be found in its own library (the class slots of
// script_class_slots.h). The outcome is kept: a set-up that succeeded answers true at
// once; one that failed is tried again by the next call (the folder is registered and the
// natives are bound only once), which repeats what failed and answers that.
#pragma once

class GSClass;
class GSMachine;

// The set-up on the process's machine, with the folder "libraries".
bool InitScriptSystem();
// The set-up on the given machine with the given library folder (tests use their own).
bool InitScriptSystem(GSMachine& machine, const char* folder);
// Forgets the set-up's state and empties the class slots (tests only; the natives that a
// machine holds stay with it).
void ResetScriptSystem();

// Loads the library by file name (with its dependencies) and finds the class in it; the
// slot gets the class or null. True when a class was found.
bool FindLibraryClass(GSMachine& machine, const char* fileName, const char* className, GSClass*& slot);

// The class checks, in the set-up's order.
bool FindKUIDScriptClass(GSMachine& machine);
bool FindSoupScriptClass(GSMachine& machine);
bool FindHTMLBufferScriptClass(GSMachine& machine);
bool FindKUIDListScriptClass(GSMachine& machine);
bool FindStringTableScriptClass(GSMachine& machine);
bool FindAssetScriptClass(GSMachine& machine);
bool FindOnlineAccessScriptClass(GSMachine& machine);
bool FindOnlineGroupScriptClass(GSMachine& machine);
bool FindImageScriptClass(GSMachine& machine);
bool FindLibraryScriptClass(GSMachine& machine);
bool FindSecurityTokenScriptClass(GSMachine& machine);
bool FindConstructorsBaseScriptClass(GSMachine& machine);

// The registrars, in the set-up's order.
void RegisterKUIDNatives(GSMachine& machine);
void RegisterSoupNatives(GSMachine& machine);
void RegisterHTMLBufferNatives(GSMachine& machine);
void RegisterKUIDListNatives(GSMachine& machine);
void RegisterStringTableNatives(GSMachine& machine);
void RegisterAssetNatives(GSMachine& machine);
void RegisterLinkedListNatives(GSMachine& machine);
void RegisterOnlineAccessNatives(GSMachine& machine);
void RegisterOnlineGroupNatives(GSMachine& machine);
void RegisterLibraryNatives(GSMachine& machine);
void RegisterImageNatives(GSMachine& machine);
void RegisterKodrinScriptBaseNatives(GSMachine& machine);
void RegisterSecurityTokenNatives(GSMachine& machine);
void RegisterConstructorsBaseNatives(GSMachine& machine);
