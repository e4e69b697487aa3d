// OnlineAccessClientEndpoint: registered clients and group listeners, and the direct
// messages stored for clients that have not registered yet, in memory and in the cache
// file "cache/oa_messages.dat".
#include "link/online/online_access_endpoint.h"

#include "engine/file.h"
#include "foundation/console/log_message.h"
#include "foundation/streams/t_file.h"

namespace {

constexpr int32_t kCacheFormat = 1;
constexpr const char* kCacheFolder = "cache";
constexpr const char* kCachePath = "cache/oa_messages.dat";
constexpr const char* kCacheTemporary = "cache/oa_messages.dat.new";

template <class T> bool Holds(const BlockArray<T*, 13>& list, const T* item) {
    for (const T* held : list) {
        if (held == item) return true;
    }
    return false;
}

template <class T> void EraseItem(BlockArray<T*, 13>& list, const T* item) {
    for (auto at = list.Begin(); !at.IsEnd(); ++at) {
        if (*at != item) continue;
        list.Erase(at);
        return;
    }
}

} // namespace

void OnlineAccessClientEndpoint::AddClient(OnlineAccessClientBase* client) {
    if (!Holds(clients_, client)) clients_.PushBack(client);
    for (auto at = stored_.Begin(); !at.IsEnd();) {
        Message* message = *at;
        if (message->kuid.userId != client->kuid.userId ||
            message->kuid.contentId != client->kuid.contentId) {
            ++at;
            continue;
        }
        LogMessage("OnlineAccessClientEndpoint::AddClient> replaying stored message for %s",
                   message->kuid.ToTag().c_str());
        at = stored_.Erase(at);
        client->Receive(*message);
        delete message;
    }
}

void OnlineAccessClientEndpoint::RemoveClient(OnlineAccessClientBase* client) {
    EraseItem(clients_, client);
    // A group whose owner goes closes and leaves the listeners: walk a copy, and skip a
    // listener that an earlier one's closing took out.
    const BlockArray<OnlineGroup*, 13> listeners = listeners_;
    for (OnlineGroup* listener : listeners) {
        if (Holds(listeners_, listener)) listener->ClientRemoved(client);
    }
}

OnlineAccessClientBase* OnlineAccessClientEndpoint::FindClient(const KUID& kuid) const {
    for (OnlineAccessClientBase* client : clients_) {
        if (client->kuid == kuid) return client;
    }
    return nullptr;
}

void OnlineAccessClientEndpoint::AddGroupListener(OnlineGroup* listener) {
    if (!Holds(listeners_, listener)) listeners_.PushBack(listener);
}

void OnlineAccessClientEndpoint::RemoveGroupListener(OnlineGroup* listener) {
    EraseItem(listeners_, listener);
}

void OnlineAccessClientEndpoint::Store(std::unique_ptr<Message> message) {
    stored_.PushBack(message.release());
    if (stored_.Count() <= kMaxStoredMessages) return;
    // Nobody may ever register for these: keep the newest.
    auto first = stored_.Begin();
    LogMessage("OnlineAccessClientEndpoint::Store> dropped the oldest stored message, for %s",
               (*first)->kuid.ToTag().c_str());
    delete *first;
    stored_.Erase(first);
}

void OnlineAccessClientEndpoint::SaveStoredMessages(TStream& stream) const {
    stream.WriteInt32(kCacheFormat);
    stream.WriteInt32(stored_.Count());
    for (const Message* message : stored_) {
        message->Write(stream);
        // A plain message is kept as a versioned one of version 0.
        if (dynamic_cast<const VersionedMessage*>(message)) continue;
        stream.WriteInt32(0);
        stream.WriteByte(0);
    }
}

void OnlineAccessClientEndpoint::LoadStoredMessages(TStream& stream) {
    int32_t format = 0;
    if (!stream.ReadInt32(format, 0) || format != kCacheFormat) return;
    for (Message* message : stored_) delete message;
    stored_.Clear();
    int32_t count = 0;
    stream.ReadInt32(count, 0);
    for (int32_t i = 0; i < count; ++i) {
        auto message = std::make_unique<VersionedMessage>();
        if (!message->Read(stream)) {
            LogMessage("OnlineAccessClientEndpoint::LoadStoredMessages> the stored messages end "
                       "early: %d of %d read", i, count);
            return;
        }
        Store(std::move(message));
    }
}

void OnlineAccessClientEndpoint::SaveMessageCache() const {
    // Written beside the cache and moved over it, so a failed save keeps the last one.
    Kiv::File::Md(kCacheFolder);
    Kiv::File::Unlink(kCacheTemporary);
    {
        TFile file;
        file.Open(kCacheTemporary, TFile::kModeCreate);
        if (!file.IsOpen()) return;
        SaveStoredMessages(file);
        if (file.GetError() != 0) {
            file.Close();
            Kiv::File::Unlink(kCacheTemporary);
            return;
        }
    }
    Kiv::File::Unlink(kCachePath);
    Kiv::File::Prune(kCachePath);
    Kiv::File::Rename(kCacheTemporary, kCachePath);
}

void OnlineAccessClientEndpoint::LoadMessageCache() {
    TFile file;
    file.Open(kCachePath, TFile::kModeRead);
    if (file.IsOpen()) LoadStoredMessages(file);
}
