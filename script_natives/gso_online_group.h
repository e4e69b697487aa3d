// GSOOnlineGroup: the native object behind the script class "OnlineGroup", a named group of
// online users that an OnlineAccess object creates or joins. It is a game object on its
// owner's router and a group listener of the online-access endpoint: the endpoint tells it
// when the service joined it, changed its members, closed it or sent it a message, and it
// tells its script by router messages. While open it holds one reference on its owner's
// script instance; once closed it has no owner and every call that needs one does nothing
// (or answers 1).
#pragma once

#include <cstdint>

#include "foundation/containers/block_array.h"
#include "link/online/online_access_listeners.h"
#include "link/online/online_messages.h"
#include "script_natives/online_group_members.h"
#include "script_runtime/gs_game_object.h"

class GSOOnlineAccess;

class GSOOnlineGroup : public GSGameObject, public OnlineGroupListener {
  public:
    enum Status : int32_t { kNotConnected = 0, kConnecting = 1, kJoined = 2, kClosed = 3 };

    // A group of owner named name (empty: one the service is asked to create), attached in
    // the owner's context, on its router and already asking the service; null when the
    // class is unknown.
    static GSOOnlineGroup* Construct(GSOOnlineAccess* owner, const Kiv::PString& name, int32_t parameter);
    ~GSOOnlineGroup() override;

    void Update(float timeStep) override;

    // The endpoint's calls.
    bool AcceptCreated() override;
    void GroupOpened(const Kiv::PString& group, TStream& rest) override;
    void MemberUpdate(TStream& rest) override;
    void GroupClosed() override;
    void ClientRemoved(OnlineAccessClientBase* client) override;
    bool IsThisGroup(const Kiv::PString& group) override;
    void GroupMessage(const OnlineGroupMessage& message) override;

    int32_t Status() const { return status_; }
    GSOOnlineAccess* Owner() const { return owner_; }
    const OnlineGroupMembers& Members() const { return members_; }

    void Connect(GSStack* stack);
    void GetStatus(GSStack* stack);
    void Disconnect(GSStack* stack);
    void GetOnlineGroupCookie(GSStack* stack);
    void AddUser(GSStack* stack);
    void RemoveUser(GSStack* stack);
    void CountUsers(GSStack* stack);
    void GetIndexedUser(GSStack* stack);
    void FindUser(GSStack* stack);
    void GetUserStatus(GSStack* stack);
    void PostMessage(GSStack* stack);
    void CollectMessage(GSStack* stack);
    void SetModeFlags(GSStack* stack);
    void SetUserModeFlags(GSStack* stack);

  private:
    GSOOnlineGroup(GSOOnlineAccess* owner, const Kiv::PString& name, int32_t parameter);
    // Asks the service to join the named group, or to create one, when not connected.
    void ConnectGroup();
    void SetStatus(int32_t status);
    void Post(const char* major, const char* minor);
    void ReadMembers(TStream& packet, bool full);

    int32_t status_ = kNotConnected;
    GSOOnlineAccess* owner_;
    Kiv::PString name_;
    OnlineGroupMembers members_;
    BlockArray<OnlineGroupMessage*, 13> queue_;
    bool received_ = false;
    int32_t parameter_;
};
