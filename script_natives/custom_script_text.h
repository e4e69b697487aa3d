// The texts of a scriptable object's custom script: the template offered while it has none
// (a class "CustomObject" deriving from the asset's script class, with an Init that calls
// the inherited one), and what counts as no text at all.
#pragma once

#include <string>
#include <string_view>

// The template for the asset's script class and script file (with the extension "gs");
// "GameObject" and "gs.gs" stand in for a missing class or file. Thirteen lines, each ended
// by one line feed.
std::string CustomScriptTemplate(std::string_view className, std::string_view scriptFile);
// Whether the text holds only tabs, line feeds, carriage returns and spaces.
bool IsBlankScriptText(std::string_view text);
