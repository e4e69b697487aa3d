// The compiler's command line and driver: the usage, the manual, the log's destinations,
// the include search order, dependency numbering and what a failed compile leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/file.h"
#include "engine/resource_archive_writer.h"
#include "foundation/text/crc32.h"
#include "script_compiler/gs_compile_context.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_include_list.h"
#include "script_compiler/gs_manual_text.h"
#include "script_compiler/gs_symbol_table.h"
#include "script_compiler/script_file.h"
#include "script_folder.h"

namespace {

struct MainRun {
    int result;
    std::string out;
};

MainRun RunMain(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    testing::internal::CaptureStdout();
    const int result = GSCompiler::Main(static_cast<int>(argv.size()), argv.data());
    return {result, testing::internal::GetCapturedStdout()};
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

const char kUsage[] =
    "PELMO VizaVozado Compiler V1.02\n\n"
    "gsc.exe returns number of compile errors\n"
    "gsc.exe <option> <option>..\nwhere <option> is one of the following\n\n"
    "<-d> print documentation, u might wanna pipe it to a text document =)\n"
    "<-s> silent\n"
    "<-bfilename> dump the build info (compile log) to file\n"
    "<-ppathname> output path\n"
    "<-ofilename> output library filename\n"
    "<filename> input source file\n"
    "<-ipathname> additional include path\n";

class CompilerDriverTest : public testing::Test {
protected:
    void TearDown() override { GSIncludeList::Clear(); }
    ScriptFolder folder_;
};

// Without a source name (options alone, "-" alone, "-o" with a name) the usage is printed,
// the result is 1, and a "-b" file is still created.
TEST_F(CompilerDriverTest, WithoutASourceTheUsageIsPrintedAndTheResultIs1) {
    const std::string log = folder_.Path("build.log");
    const std::vector<std::vector<std::string>> cases = {
        {"C:\\tools\\gsc.exe"},
        {"/opt/bin/gsc.exe", "-s", "-", "-onamed.gsl", "-c", "-t", "-l", "-x"},
        {"gsc.exe", "-b" + log, "-p/tmp/", "-i/tmp"},
    };
    for (const auto& arguments : cases) {
        const MainRun run = RunMain(arguments);
        EXPECT_EQ(run.result, 1) << arguments[0];
        EXPECT_EQ(run.out, kUsage) << arguments[0];
    }
    EXPECT_TRUE(std::filesystem::exists(log));
    EXPECT_EQ(ReadText(log), "");
}

// "-d" anywhere prints the manual and a line break, returns 0 and reads nothing after it:
// no compile, no "-b" file.
TEST_F(CompilerDriverTest, DashDPrintsOnlyTheManualWhereverItStands) {
    const std::string source = folder_.Write("bad.gs", "class {");
    const std::string log = folder_.Path("d.log");
    const std::vector<std::vector<std::string>> cases = {
        {"gsc", "-d"},
        {"gsc", source, "-d"},
        {"gsc", "-s", "-d", "-b" + log, source},
        {"gsc", "-dx"},
    };
    for (const auto& arguments : cases) {
        const MainRun run = RunMain(arguments);
        EXPECT_EQ(run.result, 0);
        ASSERT_EQ(run.out.size(), 49757u);
        EXPECT_EQ(run.out, std::string(GSCompilerManual()) + "\n");
    }
    EXPECT_FALSE(std::filesystem::exists(log));
    EXPECT_FALSE(std::filesystem::exists(folder_.Path("bad.gsl")));
}

// The manual's sections, each heading underlined with "=", in their fixed order.
TEST_F(CompilerDriverTest, TheManualHoldsItsSectionsInOrder) {
    const std::string manual(GSCompilerManual());
    EXPECT_EQ(manual.size(), 49756u);
    EXPECT_NE(manual.back(), '\n');
    const char* const headings[] = {
        "Contents", "1.0 Introduction", "2.0 The language", "2.1 Comments", "2.2 Keywords",
        "2.3 Identifiers", "2.4 Constants", "2.5 Types", "2.6 Operators",
        "2.7 Class declaration", "2.8 Function declaration", "2.9 Control flow statements",
        "2.10 Grammar", "3.0 The compiler", "3.0 The basics", "3.1 Compiler switches",
        "4.0 The library file", "5.0 The byte code", "6.0 The runtime environment",
        "6.1 Runtime stack", "7.0 The compiler source files", "8.0 The runtime source files",
        "9.0 Using the language"};
    size_t at = manual.find("\n=");  // the title's underline
    ASSERT_NE(at, std::string::npos);
    for (const char* heading : headings) {
        const std::string underlined = "\n" + std::string(heading) + "\n" +
                                       std::string(std::strlen(heading), '=') + "\n";
        const size_t found = manual.find(underlined, at);
        ASSERT_NE(found, std::string::npos) << heading;
        at = found + underlined.size();
    }
    for (const char* placeholder : {"4.0 The library file", "5.0 The byte code",
                                    "6.0 The runtime environment", "6.1 Runtime stack",
                                    "7.0 The compiler source files", "8.0 The runtime source files"}) {
        const std::string body = std::string(placeholder) + "\n" +
                                 std::string(std::strlen(placeholder), '=') +
                                 "\n\nomitted for public release\n";
        EXPECT_NE(manual.find(body), std::string::npos) << placeholder;
    }
    for (const char* keyword : {"and", "break", "cast", "define", "isclass", "secured", "wait", "on"}) {
        const std::string section = "\n" + std::string(keyword) + "\n" +
                                    std::string(std::strlen(keyword), '-') + "\n";
        EXPECT_NE(manual.find(section), std::string::npos) << keyword;
    }
}

// The messages go to the "-b" file, appended to, and to the console unless "-s".
TEST_F(CompilerDriverTest, TheLogGoesToTheFileAndUnlessSilentToTheConsole) {
    const std::string source = folder_.Write("broken.gs", "class A {\n int x\n};\n");
    const std::string log = folder_.Path("build.log");
    const std::string line = "broken.gs(3) : parse error, line 3\n";

    MainRun run = RunMain({"gsc", "-s", "-b" + log, source});
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadText(log), line);

    run = RunMain({"gsc", source, "-b" + log});
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.out, line);
    EXPECT_EQ(ReadText(log), line + line);
    EXPECT_FALSE(std::filesystem::exists(folder_.Path("broken.gsl")));
}

// The source's own folder is searched first, then the "-i" folders in command-line order.
TEST_F(CompilerDriverTest, IncludesAreSearchedBesideTheSourceThenInDashIOrder) {
    folder_.Write("one/x.gs", "class One { };");
    folder_.Write("two/x.gs", "class Two { };");
    const std::string source = folder_.Write("src/main.gs", "include \"x.gs\"\nclass Main { One a; };\n");
    const std::string undeclared = "main.gs(2) : object<One> not declared, line 2.";

    const auto messages = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "gsc");
        arguments.push_back("-s");
        arguments.push_back("-b" + folder_.Path("order.log"));
        std::filesystem::remove(folder_.Path("order.log"));
        RunMain(arguments);
        return ReadText(folder_.Path("order.log"));
    };
    EXPECT_EQ(messages({source, "-i" + folder_.Path("one"), "-i" + folder_.Path("two")}), "");
    EXPECT_NE(messages({source, "-i" + folder_.Path("two"), "-i" + folder_.Path("one")})
                  .find(undeclared), std::string::npos);
    folder_.Write("src/x.gs", "class Three { };");
    EXPECT_NE(messages({source, "-i" + folder_.Path("one")}).find(undeclared), std::string::npos);
}

// Every source is numbered when it is first met, depth first; an include reached from two
// sources (or back to the top source) is compiled once and keeps its one number.
TEST_F(CompilerDriverTest, IncludesAreCompiledOnceAndNumberedDepthFirst) {
    folder_.Write("b.gs", "include \"c.gs\"\ninclude \"d.gs\"\nclass B { C c; };");
    folder_.Write("c.gs", "include \"a.gs\"\nclass C { };");
    folder_.Write("d.gs", "include \"c.gs\"\nclass D { C c; };");
    folder_.Write("a.gs", "include \"b.gs\"\ninclude \"c.gs\"\nclass A { B b; C c; D d; };");
    GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path(folder_.Path().c_str()), Kiv::PString()));
    GSCompileLog log;
    GSCompileContext context;
    GSCompiler::Compile("a.gs", context, &log);
    EXPECT_EQ(context.nextDependency, 4);
    const std::pair<const char*, int> numbers[] = {{"a.gs", 0}, {"b.gs", 1}, {"c.gs", 2}, {"d.gs", 3}};
    for (const auto& [name, number] : numbers) {
        const GSDependentSymbol* dependency = context.table.FindDependency(name);
        ASSERT_NE(dependency, nullptr) << name;
        EXPECT_EQ(dependency->index, number) << name;
        EXPECT_EQ(dependency->id2, ComputeCrc32LowerCase(name)) << name;
    }
    std::string message;
    while (log.Take(message)) EXPECT_EQ(message.find("not declared"), std::string::npos) << message;
}

// A ".gse" name is compiled under its ".gs" form: the encrypted file is found by itself
// and the library's second id is that of the ".gs" name.
TEST_F(CompilerDriverTest, AnEncryptedSourceHasTheIdOfItsPlainForm) {
    const std::string text = "class Locked { int x; };";
    const std::string plain = folder_.Write("Plain/Lock.gs", text);
    ScriptFile file;
    ASSERT_TRUE(file.Load(nullptr, plain.c_str()));
    std::filesystem::create_directories(folder_.Path("Sealed"));
    ASSERT_TRUE(file.Save(nullptr, folder_.Path("Sealed/Lock.gse").c_str()));

    uint32_t ids[2][2] = {};
    const char* const folders[] = {"Plain", "Sealed"};
    for (int i = 0; i < 2; ++i) {
        GSIncludeList::Clear();
        GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path(folder_.Path(folders[i]).c_str()), Kiv::PString()));
        GSCompileContext context;
        GSCompiler::Compile(i == 0 ? "Lock.gs" : "Lock.gse", context, nullptr);
        const GSDependentSymbol* dependency = context.table.FindDependency("lock.gs");
        ASSERT_NE(dependency, nullptr) << folders[i];
        ids[i][0] = dependency->id1;
        ids[i][1] = dependency->id2;
    }
    EXPECT_EQ(ids[0][0], ComputeCrc32(text.data(), text.size()));
    EXPECT_EQ(ids[1][0], ids[0][0]);
    EXPECT_EQ(ids[0][1], ComputeCrc32LowerCase("lock.gs"));
    EXPECT_EQ(ids[1][1], ids[0][1]);
}

// A failed compile writes nothing: neither the missing source, nor an empty one, nor one
// with a semantic error leaves a library.
TEST_F(CompilerDriverTest, ACompileWithErrorsWritesNoLibrary) {
    folder_.Write("empty.gs", "");
    folder_.Write("wrong.gs", "class W { void F() { y = 1; } };");
    struct Case {
        const char* name;
        int errors;
        const char* message;
    };
    const Case cases[] = {
        {"missing.gs", 1, "Could not read file (null) missing.gs."},
        {"empty.gs", 1, "empty.gs(1) : parse error, line 1"},
        {"wrong.gs", 2, "wrong.gs(1) : variable y not declared, line 1."},
    };
    for (const auto& [name, errors, message] : cases) {
        GSCompileLog log;
        EXPECT_EQ(GSCompiler::CompileToFolder(folder_.Path(name).c_str(), nullptr, {}, &log), errors) << name;
        std::string first;
        ASSERT_TRUE(log.Take(first)) << name;
        EXPECT_EQ(first, message);
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder_.Path()))
        EXPECT_NE(entry.path().extension(), ".gsl") << entry.path();
}

}  // namespace

namespace {

class CompiledLibraryTest : public CompilerDriverTest {
protected:
    bool Contains(const std::string& name, const std::vector<uint32_t>& words) const {
        const Bytes image = folder_.Read(name);
        Bytes wanted;
        for (uint32_t word : words)
            for (int shift = 0; shift < 32; shift += 8) wanted.push_back(static_cast<uint8_t>(word >> shift));
        return std::search(image.begin(), image.end(), wanted.begin(), wanted.end()) != image.end();
    }
};

// A class deriving from an included class, compiled end to end: the library is written
// beside the source, named after it, and lists its own id pair, then the include's.
TEST_F(CompiledLibraryTest, TwoClassesAcrossAnIncludeMakeOneLibrary) {
    const std::string base = "class Base { public int Value() { return 1; } };\n";
    const std::string top = "include \"base.gs\"\nclass Top isclass Base { int Twice() { return Value() * 2; } };\n";
    folder_.Write("lib/base.gs", base);
    const std::string source = folder_.Write("Top.gs", top);
    const MainRun run = RunMain({"gsc", source, "-i" + folder_.Path("lib")});
    EXPECT_EQ(run.out, "");
    ASSERT_EQ(run.result, 0);
    EXPECT_TRUE(Contains("Top.gsl", {2, ComputeCrc32(top.data(), top.size()), ComputeCrc32LowerCase("top.gs"),
                                     ComputeCrc32(base.data(), base.size()), ComputeCrc32LowerCase("base.gs")}));
}

// "-p" names a file: its folder takes the library. A ".gse" source gives a ".gsl" named
// after it. An output folder that does not exist cannot be opened.
TEST_F(CompiledLibraryTest, TheOutputGoesToTheFolderOfTheDashPValue) {
    const std::string source = folder_.Write("src/Unit.gs", "class U { };");
    std::filesystem::create_directories(folder_.Path("out"));
    struct Case {
        std::string output;  // the "-p" value, empty for none
        std::string library;
    };
    const Case cases[] = {
        {"", "src/Unit.gsl"},
        {folder_.Path("out/"), "out/Unit.gsl"},
        {folder_.Path("out"), "Unit.gsl"},
        {folder_.Path("out/ignored.name"), "out/Unit.gsl"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"gsc", source, "-onamed.gsl"};
        if (!c.output.empty()) arguments.push_back("-p" + c.output);
        EXPECT_EQ(RunMain(arguments).result, 0) << c.output;
        EXPECT_TRUE(std::filesystem::exists(folder_.Path(c.library))) << c.library;
        std::filesystem::remove(folder_.Path(c.library));
    }
    EXPECT_FALSE(std::filesystem::exists(folder_.Path("out/named.gsl")));

    ScriptFile file;
    ASSERT_TRUE(file.Load(nullptr, source.c_str()));
    std::filesystem::create_directories(folder_.Path("sealed"));
    ASSERT_TRUE(file.Save(nullptr, folder_.Path("sealed/Unit.gse").c_str()));
    EXPECT_EQ(RunMain({"gsc", folder_.Path("sealed/Unit.gse")}).result, 0);
    EXPECT_TRUE(std::filesystem::exists(folder_.Path("sealed/Unit.gsl")));

    const MainRun unwritable = RunMain({"gsc", source, "-p" + folder_.Path("none/")});
    EXPECT_EQ(unwritable.result, 1);
    EXPECT_EQ(unwritable.out, "Unable to open output file.\n\n");
}

TEST_F(CompiledLibraryTest, CompileToPathChecksOrWritesWhereItIsTold) {
    folder_.Write("p.gs", "class P { };");
    GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path(folder_.Path().c_str()), Kiv::PString()));
    GSCompileLog log;
    EXPECT_EQ(GSCompiler::CompileToPath(&log, nullptr, nullptr), 0);
    EXPECT_EQ(GSCompiler::CompileToPath(&log, "p.gs", nullptr), 0);
    EXPECT_EQ(GSCompiler::CompileToPath(&log, "p.gs", folder_.Path("made.gsl").c_str()), 0);
    EXPECT_TRUE(std::filesystem::exists(folder_.Path("made.gsl")));
    EXPECT_TRUE(log.IsEmpty());
    const std::string missing = folder_.Path("no/where.gsl");
    EXPECT_EQ(GSCompiler::CompileToPath(&log, "p.gs", missing.c_str()), 1);
    EXPECT_EQ(std::string(log.Take()), "Unable to open output file: '" + missing + "'.\n");
}

}  // namespace

namespace {

// An include names a file below an include folder: it is searched by the name as written
// and known (as a dependency, and so compiled once) by its name without folders. Messages
// name each source in lower case, while the file keeps its case on disk.
TEST_F(CompilerDriverTest, AnIncludeIsSearchedByTheNameAsWrittenAndKnownByItsBareName) {
    folder_.Write("lib/sub/Shapes.gs", "class Shape { public int Sides() { return 4; } };");
    folder_.Write("lib/Other.gs", "include \"sub/shapes.gs\"\nclass Other { Shape s; };");
    const std::string source = folder_.Write(
        "src/Main.gs", "include \"SUB/Shapes.gs\"\ninclude \"other.gs\"\nclass Main { Shape s; Other o; void F() { y = 1; } };\n");
    GSCompileLog log;
    EXPECT_EQ(GSCompiler::CompileToFolder(source.c_str(), nullptr, {folder_.Path("lib")}, &log), 2);
    std::vector<std::string> messages;
    for (std::string message; log.Take(message);) messages.push_back(message);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0], "main.gs(3) : variable y not declared, line 3.");
    for (const std::string& message : messages) EXPECT_EQ(message.find("main.gs(3) : "), 0u) << message;
}

// A missing include is an error of the source that names it, at the include's line.
TEST_F(CompilerDriverTest, AMissingIncludeIsNamedWithTheIncludingFileAndLine) {
    const std::string source = folder_.Write("Main.gs", "// uses a helper\ninclude \"nothere.gs\"\nclass Main { };\n");
    GSCompileLog log;
    EXPECT_EQ(GSCompiler::CompileToFolder(source.c_str(), nullptr, {}, &log), 1);
    std::string message;
    ASSERT_TRUE(log.Take(message));
    EXPECT_EQ(message, "main.gs(2) : Could not read file nothere.gs.");
    EXPECT_FALSE(log.Take(message)) << message;
    EXPECT_FALSE(std::filesystem::exists(folder_.Path("Main.gsl")));
}

// A caller moves the include list out, compiles along its own list and puts the first back.
TEST_F(CompilerDriverTest, TheIncludeListIsTakenAndRestoredInOrder) {
    GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path("/first"), Kiv::PString()));
    GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path("scripts"), Kiv::PString("pack")));
    const std::vector<GSIncludePath> saved = GSIncludeList::Take();
    EXPECT_EQ(GSIncludeList::List().Count(), 0u);
    GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path("/mine"), Kiv::PString()));
    ASSERT_TRUE(GSIncludeList::Restore(saved));
    std::vector<std::string> entries;
    const Utils::PtrList& list = GSIncludeList::List();
    for (const Utils::PtrList::Node* node = list.Begin(); node != list.End(); node = node->next) {
        const GSIncludePath& entry = GSIncludeList::At(node);
        entries.push_back(std::string(entry.path.View()) + "|" + (entry.archive.Text() ? entry.archive.Text() : ""));
    }
    EXPECT_EQ(entries, (std::vector<std::string>{"/first|", "scripts|pack"}));
}

// An entry naming a mounted resource archive finds sources and includes inside it, plain
// and protected; an entry after it still reaches the plain file system.
TEST_F(CompilerDriverTest, SourcesAreReadFromInsideAResourceArchive) {
    ScriptFile sealed;
    ASSERT_TRUE(sealed.Load(nullptr, folder_.Write("tmp/base.gs", "class Base { public int N() { return 2; } };").c_str()));
    ASSERT_TRUE(sealed.Save(nullptr, folder_.Path("tmp/base.gse").c_str()));
    const Bytes protectedBase = folder_.Read("tmp/base.gse");
    Kiv::ResourceArchiveWriter writer;
    writer.Add("scripts/main.gs", "include \"base.gs\"\ninclude \"loose.gs\"\nclass Main isclass Base { Loose l; };");
    writer.Add("scripts/base.gse", std::string(protectedBase.begin(), protectedBase.end()));
    ASSERT_TRUE(writer.Write(folder_.Path("pack.ka").c_str()));
    folder_.Write("loose/loose.gs", "class Loose { };");
    ASSERT_TRUE(Kiv::File::Subst("gstestpack", folder_.Path("pack.ka").c_str(), false));
    GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path("scripts"), Kiv::PString("gstestpack")));
    GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path(folder_.Path("loose").c_str()), Kiv::PString()));
    GSCompileLog log;
    const int errors = GSCompiler::CompileToPath(&log, "main.gs", folder_.Path("main.gsl").c_str());
    Kiv::File::Subst("gstestpack");
    std::string message;
    while (log.Take(message)) ADD_FAILURE() << message;
    EXPECT_EQ(errors, 0);
    EXPECT_TRUE(std::filesystem::exists(folder_.Path("main.gsl")));
}

}  // namespace
