// Compiling a scriptable object's custom script: the text is written to "temp_object.gs"
// in the user-data cache folder, compiled there into "temp_object.gsl" with the installed
// "scripts" and the asset's own folder to include from, registered with the script machine
// and loaded; both files are deleted again. Every temporary file lives in the cache folder,
// so what is written is what is compiled whatever the working folder. The file names and
// the compiler's include list are process-wide: one compile at a time (the context's
// thread).
#pragma once

#include <string>

#include "engine/file_path.h"
#include "engine/pstring.h"

class GSClass;
class GSCompileLog;
class GSLibrary;
class KodrinBaseSpec;

// Compiles "temp_object.gs" of the cache folder, the folder (in the archive, when named)
// included after it, into "temp_object.gsl", registers and loads it; the library, or null
// on a compile error or a failed load. The compiler's include list is left empty.
GSLibrary* CompileScriptSource(const Kiv::PString& archive, const Kiv::File::Path& folder, GSCompileLog& log);
// The class "CustomObject" of the text compiled for the spec's asset, or null (no user-data
// folder, a file that cannot be written, a compile error). The asset's own script library
// is registered first, so the compiled library links against it.
GSClass* CompileCustomScript(const std::string& text, KodrinBaseSpec& spec);
