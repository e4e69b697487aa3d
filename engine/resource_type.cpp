// What a resource type's name serves, and finding the type for a resource name.
#include "engine/resource_type.h"

#include "engine/ascii.h"

namespace Kiv {

namespace {

constexpr std::string_view kTextSuffix = ".txt";

bool EndsWithText(std::string_view name) {
    return name.size() > kTextSuffix.size() &&
           Ascii::EqualsIgnoreCase(name.substr(name.size() - kTextSuffix.size()), kTextSuffix);
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = Ascii::ToLower(c);
    return lower;
}

// Whether candidate is a better pick than best for the exact name wanted.
bool Prefer(const PluginBase* candidate, const PluginBase* best, std::string_view exact) {
    if (!best) return true;
    const bool candidateExact = Ascii::EqualsIgnoreCase(candidate->GetName().View(), exact);
    const bool bestExact = Ascii::EqualsIgnoreCase(best->GetName().View(), exact);
    if (candidateExact != bestExact) return candidateExact;
    return candidate->GetName().View() < best->GetName().View();
}

}  // namespace

ResourceTypeBase::ResourceTypeBase(const PString& name, const UId& type, const UId& family)
    : PluginBase(family, name), type_(type) {
    std::string_view served = name.View();
    form_ = EndsWithText(served) ? Resource::Form::kText : Resource::Form::kBinary;
    if (form_ == Resource::Form::kText) served.remove_suffix(kTextSuffix.size());
    const size_t dot = served.rfind('.');
    extension_ = Lower(dot == std::string_view::npos ? served : served.substr(dot + 1));
}

ResourceTypeBase* ResourceTypeBase::Find(const UId& family, std::string_view extension,
                                         Resource::Form form) {
    const std::string wanted = Lower(extension);
    const std::string exact = form == Resource::Form::kText ? wanted + ".txt" : wanted;
    ResourceTypeBase* best = nullptr;
    for (PluginBase* plugin : PluginBase::ListPlugins(family)) {
        auto* type = dynamic_cast<ResourceTypeBase*>(plugin);
        if (type && type->form_ == form && type->extension_ == wanted && Prefer(type, best, exact)) {
            if (best) best->ReleaseReference();
            best = type;
            continue;
        }
        plugin->ReleaseReference();
    }
    return best;
}

}  // namespace Kiv
