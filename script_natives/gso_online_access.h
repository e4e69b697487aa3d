// GSOOnlineAccess: the native object behind the script class "OnlineAccess", one per owning
// asset and context: the script's client of the online-access endpoint. It connects and
// disconnects, posts and collects soup messages in its owner's name (at most about sixty a
// second, by a send counter that updates drain), keeps the owner's local data in the asset
// database, reaches the process-wide offline boxes and makes online groups. It is a game
// object and tells its script of status changes and arrivals by router messages.
#pragma once

#include <cstdint>

#include "foundation/containers/block_array.h"
#include "foundation/soup/chunk_ref.h"
#include "link/online/online_access_endpoint.h"
#include "script_runtime/gs_game_object.h"

class GSOOnlineAccess : public GSGameObject, public OnlineAccessClientBase {
  public:
    // Result codes of the natives.
    enum Result : int32_t { kDone = 0, kNotLoggedIn = 1, kRefused = 4, kNothing = 6 };
    // Sends beyond this count (drained by a second per second) are refused.
    static constexpr float kSendLimit = 60.0f;

    // The object of the context whose owner has owner's user and content id (the version is
    // not compared) and whose instance is still referenced, with one reference more; else a
    // new one. Null when the class is unknown.
    static GSOOnlineAccess* GetScriptObjectForKey(const KUID& owner, GSContext* context);
    static GSOOnlineAccess* Construct(GSContext* context, const KUID& owner);
    ~GSOOnlineAccess() override;

    void Update(float timeStep) override;
    // A direct message for this client; the endpoint keeps it, a copy is queued.
    void Receive(const OnlineAccessMessage& message) override;

    // The endpoint every object uses: the process's unless a test gave its own.
    static OnlineAccessClientEndpoint& Endpoint();
    static void UseEndpoint(OnlineAccessClientEndpoint* endpoint);
    // The process-wide offline boxes.
    static ACSChunkRef& OfflineInbox();
    static ACSChunkRef& OfflineOutbox();
    // Loads both boxes from the "cache" folder, then the endpoint's stored messages.
    static void LoadOfflineStores();

    bool OverSendLimit() const { return sendCounter_ > kSendLimit; }
    void CountSend() { sendCounter_ += 1.0f; }
    float SendCounter() const { return sendCounter_; }
    bool OwnerModified() const { return ownerModified_; }
    int32_t QueuedCount() const { return queue_.Count(); }

    void Connect(GSStack* stack);
    void GetStatus(GSStack* stack);
    void Disconnect(GSStack* stack);
    void GetUsername(GSStack* stack);
    void GetLocalData(GSStack* stack);
    void SetLocalData(GSStack* stack);
    void GetProfileData(GSStack* stack);
    void SetProfileData(GSStack* stack);
    void PostMessage(GSStack* stack);
    void CollectMessage(GSStack* stack);
    void CreateGroup(GSStack* stack);
    void OpenGroup(GSStack* stack);
    void PostOfflineMessage(GSStack* stack);
    void CollectOfflineMessage(GSStack* stack);

  private:
    explicit GSOOnlineAccess(const KUID& owner);
    // Leaves the endpoint, disconnecting it when no client is left, and rewrites its cache.
    void LeaveEndpoint();
    void Post(const char* minor);
    // The key (argument 1, lower-cased) and soup (argument 2) of the local-data natives.
    bool KeyAndSoup(GSStack* stack, Kiv::PString& key, class GSOSoup*& soup);

    int32_t lastStatus_ = 0;
    bool ownerModified_ = false;
    BlockArray<OnlineAccessVersionedMessage*, 13> queue_;
    bool received_ = false;
    float sendCounter_ = 0;
};
