// Byte-stream typed reads: the first byte chooses the form (a results log, KUIDs, property
// subjects, strings of both forms), the rest is the stream, read until it ends or fails.
// A results log read is written and read again to as many entries.
#include "foundation/kuid/kuid.h"
#include "foundation/results/kodrin_property.h"
#include "foundation/results/results_log.h"
#include "fuzz_support.h"

namespace {

constexpr int kMaxReads = 4096;

void ReadForms(int form, TStream& stream) {
    for (int n = 0; n < kMaxReads && stream.GetError() == 0; ++n) {
        switch (form) {
        case 0: {
            ResultsLog log;
            log.Read(stream);
            BufferStream written;
            log.Write(written.Stream(), 0);
            written.Stream().Rewind();
            ResultsLog again;
            again.Read(written.Stream());
            fuzz::Require(again.EntryCount() == log.EntryCount() &&
                              written.Stream().GetError() == 0,
                          "a log read writes and reads back whole");
            break;
        }
        case 1:
            KUID::ReadBinary(stream).ToTag();
            break;
        case 2: {
            KodrinPropertyHandle handle;
            ReadKodrinProperty(stream, handle);
            handle.GetValueText();
            break;
        }
        case 3: {
            Kiv::PString text;
            stream.ReadPString(text);
            break;
        }
        default: {
            Kiv::String text;
            stream.ReadString(text);
            break;
        }
        }
        if (stream.Tell() >= stream.Size()) break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    fuzz::InputStream input(data + 1, size - 1);
    ReadForms(data[0] % 5, input.Stream());
    return 0;
}
