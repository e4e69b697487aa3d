// Kiv::ResourceTypeBase and Kiv::ResourceType<T>: the plug-ins that make resources. A type
// is filed in the plug-in registry under its family UId and its name, and carries a type
// UId of its own (two names may share one). The name says which resource names the type
// serves (engine/README.md): the part after its last "." is the extension it serves, a
// name ending in ".txt" serves the text form of the extension before it ("kodrin.lm.txt":
// text form of "lm"; "kodrin.lm": binary form of "lm"; "convert-tex.txt": text form of
// "convert-tex").
#pragma once

#include <cstddef>
#include <new>
#include <string>

#include "engine/plugin_base.h"
#include "engine/resource.h"

namespace Kiv {

class ResourceTypeBase : public PluginBase {
public:
    ResourceTypeBase(const PString& name, const UId& type, const UId& family);

    const UId& GetTypeUId() const { return type_; }
    // The lower-cased extension this type serves and whether it serves the text form.
    const std::string& GetExtension() const { return extension_; }
    Resource::Form GetForm() const { return form_; }

    // A new resource of this type, one reference for the caller; null when it cannot be
    // made.
    virtual Resource* Create(const PString& name, ResourceDatabase* database) = 0;
    virtual size_t GetObjectSize() const = 0;

    // The registered type of family that serves extension (ASCII case ignored) in form,
    // with one reference added, or null. Where several do, the one named exactly the
    // extension (with ".txt" for the text form) wins, else the byte-wise smallest name.
    static ResourceTypeBase* Find(const UId& family, std::string_view extension,
                                  Resource::Form form);

private:
    UId type_;
    std::string extension_;
    Resource::Form form_;
};

// T is constructed with (name, database, form).
template <typename T>
class ResourceType final : public ResourceTypeBase {
public:
    using ResourceTypeBase::ResourceTypeBase;

    Resource* Create(const PString& name, ResourceDatabase* database) override {
        return new (std::nothrow) T(name, database, GetForm());
    }
    size_t GetObjectSize() const override { return sizeof(T); }
};

}  // namespace Kiv
