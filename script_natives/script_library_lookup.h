// The library object of a library spec in a script context (the part of
// KodrinScriptContext::GetScriptLibrary after the spec is found): the one in the context's
// list, else the parent context's when the spec asks for it, else a new one, added to the
// list and initialised. A library whose script fails is taken out of the list and goes at
// once. Failures are written to the engine log.
#pragma once

class GSOLibrary;
class GSOLibrarySpec;
class KodrinScriptContext;
struct KUID;

GSOLibrary* GetLibraryOfSpec(KodrinScriptContext& context, const KUID& kuid, GSOLibrarySpec& spec);
