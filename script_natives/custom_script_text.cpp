// The custom-script template and the blank-text rule.
#include "script_natives/custom_script_text.h"

#include "engine/file_path.h"

std::string CustomScriptTemplate(std::string_view className, std::string_view scriptFile) {
    std::string file = "gs.gs";
    if (!scriptFile.empty()) {
        Kiv::File::Path path(scriptFile);
        path.SetExt("gs");
        file = std::string(path.View());
    }
    const std::string base = className.empty() ? std::string("GameObject") : std::string(className);
    return "include \"Kodrin.gs\"\n"
           "\n"
           "include \"" + file + "\"\n"
           "\n"
           "class CustomObject isclass " + base + "\n"
           "{\n"
           "  public void Init(Asset self)\n"
           "  {\n"
           "    inherited(self);\n"
           "    //...\n"
           "  }\n"
           "};\n"
           "\n";
}

bool IsBlankScriptText(std::string_view text) {
    return text.find_first_not_of("\t\n\r ") == std::string_view::npos;
}
