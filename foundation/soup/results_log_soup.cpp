// ResultsLog::AddEntry with soup parameters: the soup's children become the name/value list
// of the plain form, so both forms substitute alike.
#include "engine/ascii.h"
#include "foundation/results/results_log.h"
#include "foundation/soup/chunk.h"
#include "foundation/soup/converter.h"

namespace {

ResultsLogParameters ParametersOf(const ACSChunkRef& soup) {
    ResultsLogParameters parameters;
    const int32_t count = soup.CountTags();
    for (int32_t i = 0; i < count; ++i) {
        Kiv::PString name;
        ACSChunkRef child;
        if (!soup->GetIndexedChild(i, name, child)) continue;
        std::string upper(name.View());
        for (char& c : upper)
            c = Kiv::Ascii::ToUpper(c);
        ACSRawDataRef text;
        ACSConverter::Convert(child->GetType(), ACSChunk::GetRawData(child), ACSTagType::String,
                              text);
        parameters.emplace_back(Kiv::String(std::move(upper)), Kiv::String(text.Text()));
    }
    return parameters;
}

} // namespace

void ResultsLog::AddEntry(int32_t kind, KodrinPropertyAssetID* subject, const Kiv::String& text,
                          const ACSChunkRef& parameters) {
    const ResultsLogParameters list = ParametersOf(parameters);
    AddEntry(kind, subject, text, &list);
}
