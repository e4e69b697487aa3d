// GSCompiler: the script compiler's entry points and the services its passes share:
// loading and parsing one source into its arena, syntax-tree nodes, literal unquoting, the
// compile log's message forms, function signatures, the semantic pass that declares,
// types and checks a parsed tree (gs_analyse_tree.cpp and the gs_check_*.cpp files), and
// the driver that compiles a source with its includes into a ".gsl" library
// (gs_compiler_main.cpp for the command line, gs_compile_driver.cpp for the rest).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/file_path.h"
#include "script_compiler/gs_node.h"

class CompileArena;
class GSCompileContext;
class GSCompileLog;
class GSScanner;
class GSClassSymbol;
class GSFunctionSymbol;
class GSSymbol;
class GSSymbolTable;
namespace Utils {
class AlignedByteBuffer;
}

// The state of one semantic walk (shared by the nested walks over declarators).
struct GSAnalyseState {
    bool abort = false;    // a failure after which the walk stops at once
    bool include = false;  // the source is an include: declarations outside bodies only
    bool skip = false;     // the node just visited asks that its children not be walked
    GSFunctionSymbol* function = nullptr;
    GSClassSymbol* currentClass = nullptr;
    CompileArena* arena = nullptr;
    GSSymbolTable* table = nullptr;
};

class GSCompiler {
public:
    static constexpr int kLiteralChars = 2048;
    // The longest function key or linkage name, with its NUL; the checks refuse a longer
    // one, so generation finds every function under the key it was declared by.
    static constexpr size_t kSignatureChars = 1024;

    // The compiler's own command line (element 0 the program name, options and the source
    // after it). Answers the number of errors, 0 meaning success; 1 after the usage, 0
    // after the manual ("-d").
    static int Main(int argc, char** argv);

    // Compiles source into "<output folder>/<source name>.gsl": the folder of output (a
    // path whose last component is a file name) when given, else the source's. The include
    // list is rebuilt: the source's folder, then includes in order. The number of errors.
    static int CompileToFolder(const char* source, const char* output,
                               const std::vector<std::string>& includes, GSCompileLog* log);
    // Compiles source along the include list as the caller left it and writes the library
    // to output; a null output only checks. A null source answers 0. The number of errors.
    static int CompileToPath(GSCompileLog* log, const char* source, const char* output);
    // One compile into a fresh context: the source (a name ending in "e" loses it) with
    // every include it reaches, then code generation. The number of errors.
    static int Compile(const char* name, GSCompileContext& context, GSCompileLog* log);
    // One source and, first, every include not compiled yet, depth first; each source gets
    // its dependency number when it is first met. The number of errors.
    static int CompileFile(GSCompileContext& context, const char* name, CompileArena& arena,
                           bool top);

    // The path of name (folders and case as given) in the first entry of GSIncludeList that
    // holds it, ".gs" before ".gse" in each; empty when none does. archive is the archive
    // of the last entry tried (null for the plain file system).
    static Kiv::File::Path FindSource(const char* name, const char*& archive);
    // Finds name along GSIncludeList, loads, scans and parses it into the arena's tree and
    // sets the arena's id pair; the arena's file name is the name in lower case. 0 on
    // success, 1 on any failure, whose errors are added to the arena's error count.
    static int LoadAndParse(const char* name, CompileArena& arena);

    // The part of a path after its last "\", "/" or ":".
    static const char* WithoutFolder(const char* path);

    // The content of a literal's token text without its quotes (and "L"), cut to 2047
    // characters, escapes decoded when decode is set. destination holds kLiteralChars.
    static void UnquoteLiteral(char* destination, const char* text, bool decode);

    // A node in the arena with the given values, no children, no value and no flags.
    static GSCNode* NewNode(CompileArena& arena, int32_t category, int32_t kind, int32_t line,
                            int32_t sub);

    // The formatted text (cut to 255 characters) appended to the arena's log, if any.
    static void Message(CompileArena& arena, const char* format, ...)
        __attribute__((format(printf, 2, 3)));
    // Raises the error and/or warning count, then logs "<file>(<line>) : <text>".
    static void ReportError(CompileArena& arena, bool error, bool warning, int line,
                            const char* format, ...) __attribute__((format(printf, 5, 6)));

    // ReportError with the file name given instead of the arena's.
    static void ReportErrorAt(CompileArena& arena, bool error, bool warning, const char* fileName,
                              int line, const char* format, ...) __attribute__((format(printf, 6, 7)));

    // Signatures. A function's key is "::Name(types)" with its parameter types' names
    // (a class by its name, an array of a class by its name and "[]"); its linkage name is
    // "$", the return type's name, "@", the class name and the key. classNames false names
    // object parameters "object". False for a node that is no function or prototype, or a
    // signature longer than capacity - 1 characters.
    static bool BuildSignature(const char* className, const GSCNode* function, char* destination,
                               size_t capacity, bool withReturn, bool classNames);
    // The name of a type node's type as a signature writes it.
    static void TypeNodeName(const GSCNode* type, bool className, char* destination, size_t capacity);
    // The part of a key between "::" and "(" (cut to capacity - 1 characters).
    static void PlainFunctionName(char* destination, size_t capacity, const char* key);
    // The key's parameter type names one at a time: the first (or the one after cursor) goes
    // to type; the answer is the cursor for the next call, null when there is none.
    static const char* FirstParameterType(const char* key, char* type, size_t capacity);
    static const char* NextParameterType(const char* cursor, char* type, size_t capacity);
    // A type name back to its code; a class-array name loses its "[]" (code 11), any other
    // unknown name is a class (code 5).
    static int32_t TypeCodeOfName(char* name);
    // "public " ... "define " for the specifier bits that are set, in their fixed order.
    static std::string FlagsText(uint32_t flags);
    // Equal codes, or null against object either way; two objects also need the same class
    // name (both absent counts as the same).
    static bool SameType(int32_t type1, const char* class1, int32_t type2, const char* class2);
    static bool SameNodeType(const GSCNode* a, const GSCNode* b);

    // The semantic pass over a source's tree: declares classes, functions and variables,
    // types and folds expressions, links labels and jumps, inserts conversions and reports
    // every error of the language. True when no check failed.
    static bool AnalyseTree(GSAnalyseState& state, GSCNode* first, CompileArena& arena);
    static bool PreVisit(GSAnalyseState& state, GSCNode* node);
    static bool PostVisit(GSAnalyseState& state, GSCNode* node);
    static bool DeclareClass(GSAnalyseState& state, GSCNode* node);
    static bool DeclareFunction(GSAnalyseState& state, GSCNode* node);
    static bool DeclareVariables(GSAnalyseState& state, GSCNode* node);
    static bool CheckTypeNode(GSAnalyseState& state, GSCNode* type);
    static bool CheckDeclarator(GSAnalyseState& state, GSCNode* node);
    static bool CheckIdentifier(GSAnalyseState& state, GSCNode* node);
    static bool CheckMe(GSAnalyseState& state, GSCNode* node);
    static bool CheckOperator(GSAnalyseState& state, GSCNode* node);
    static bool CheckMemberAccess(GSAnalyseState& state, GSCNode* node);
    static bool CheckCall(GSAnalyseState& state, GSCNode* node);
    static bool CheckStatement(GSAnalyseState& state, GSCNode* node);
    // The assignment table, then for two classes the source deriving from the target.
    static bool CheckAssignable(GSAnalyseState& state, GSCNode* target, GSCNode* source);
    // Whether a value of the source type may be cast or passed as the target type, and
    // whether that needs a conversion.
    static bool CanConvert(GSAnalyseState& state, int32_t targetType, const char* targetClass,
                           int32_t sourceType, const char* sourceClass, bool& needed);
    // Wraps *link (an argument) in a cast node to the type; false when no node can be had.
    static bool InsertCast(GSAnalyseState& state, GSCNode** link, int32_t type, const char* className);
    // Turn an operator node with constant operands into a constant; false when it stays.
    static bool FoldBinary(GSCNode* node);
    static bool FoldUnary(GSCNode* node);

    // Code generation (gs_codegen_*.cpp) for the context's top source, parsed and checked
    // without errors: one GSCClass record per class, in source order, in the context's class
    // list. False when the arena has no tree or errors, or when generation failed (its
    // messages are in the arena's log).
    static bool GenerateCode(GSCompileContext& context);
    // The ".gsl" image of the generated classes (gs_library_writer.cpp), written into output
    // (its length is then the image's length); sourceName is the name the image carries. False
    // when a class cannot be written or a buffer could not grow; log may be null.
    static bool WriteLibrary(Utils::AlignedByteBuffer& output, GSCompileContext& context, GSCompileLog* log,
                             const char* sourceName);
    // The string index of text in the library string table, added under the next free index
    // when it is not there; -1 when it cannot be stored.
    static int32_t InternLibraryString(const char* text, GSCompileContext& context);

    // The arena and scanner of the load in progress (null outside LoadAndParse).
    static CompileArena* CurrentArena();
    static GSScanner* CurrentScanner();
};
