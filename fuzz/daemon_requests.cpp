// The stand-in daemon's request readers: the first byte chooses the request id (every id
// the daemon answers, and one it does not), the rest is the payload, fed through the
// request dispatcher to the asset table of a seeded installation in a scratch folder (the
// seeded assets put back now and then, as requests delete them).
// Filters (request 2) and every asset request payload are read here.
#include <iterator>
#include <memory>

#include "daemon/asset_table.h"
#include "daemon/asset_table_seed.h"
#include "daemon/daemon_record.h"
#include "daemon/daemon_request.h"
#include "daemon/request_dispatcher.h"
#include "foundation/soup/acs_text.h"
#include "fuzz_support.h"

namespace {

constexpr int32_t kRequestIds[] = {0,  2,  3,  4,  20, 21, 23, 26, 27, 28,  29,  30,  31,
                                   32, 33, 34, 35, 36, 38, 39, 40, 41, 42,  43,  47,  50,
                                   54, 58, 90, 100, 101, 102, 103, 121, 122, 140, 141, 150,
                                   181, 230, 231, 232, 240, 241, 242, 253, 256, 270, 999};

constexpr char kSeed[] = R"(localuser { user 12 next 5 }
assets {
  0 { folder "coal_wagon" config { kuid <kuid:12:1> username "Coal wagon" category-class "WC" }
      files { 0 { name "notes.txt" text "old" } } }
  1 { config { kuid <kuid:12:2> username "Log car" category-class "LC;WC" } }
  2 { location "editing" config { kuid <kuid2:12:3:1> username "Bridge" category-class "BR" } }
}
settings { internet { language "en" } }
authors { 0 { id 5 account 7 name "ann" } }
)";

constexpr int kReseedEvery = 256;

std::shared_ptr<AssetTable>& Table() {
    static auto* table = [] {
        const std::filesystem::path installation = fuzz::ScratchFolder() / "inst";
        std::filesystem::create_directories(installation / "bin");
        auto* made = new std::shared_ptr<AssetTable>(std::make_shared<AssetTable>(installation));
        std::string error;
        fuzz::Require((*made)->Open(error), "asset table opens");
        return made;
    }();
    return *table;
}

// Puts back the seeded assets that requests deleted; the others stay as they are.
void Seed() {
    static const ACSChunkRef seed = [] {
        fuzz::InputStream text(reinterpret_cast<const uint8_t*>(kSeed), sizeof kSeed - 1);
        ACSChunkRef parsed;
        ACSText::Parse(parsed, text.Stream(), false);
        return parsed;
    }();
    std::string error;
    fuzz::Require(SeedAssetTable(*Table(), seed, error), "asset table seeds");
}

RequestDispatcher& Dispatcher() {
    static RequestDispatcher* dispatcher = [] {
        auto* made = new RequestDispatcher(*new DaemonRecord);
        made->SetAssetTable(Table());
        return made;
    }();
    static int inputs = 0;
    if (inputs++ % kReseedEvery == 0) Seed();
    return *dispatcher;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    RequestDispatcher& dispatcher = Dispatcher();
    DaemonRequest request;
    request.client = 1;
    request.id = kRequestIds[data[0] % std::size(kRequestIds)];
    request.transactionId = 1;
    request.payload.assign(data + 1, data + size);
    DaemonResponse response;
    dispatcher.Dispatch(request, response);
    return 0;
}
