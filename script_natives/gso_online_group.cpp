// The online groups and their natives.
#include "script_natives/gso_online_group.h"

#include <memory>

#include "script_natives/gso_online_access.h"
#include "script_natives/gso_soup.h"
#include "script_natives/native_arguments.h"
#include "script_natives/native_registration.h"
#include "script_natives/script_class_slots.h"
#include "script_natives/script_system_setup.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_router.h"
#include "script_runtime/gs_stack.h"

namespace {

const MemberNative<GSOOnlineGroup> kOnlineGroupNatives[] = {
    {"$void@OnlineGroup::Connect()", &GSOOnlineGroup::Connect},
    {"$int@OnlineGroup::GetStatus()", &GSOOnlineGroup::GetStatus},
    {"$void@OnlineGroup::Disconnect()", &GSOOnlineGroup::Disconnect},
    {"$string@OnlineGroup::GetOnlineGroupCookie()", &GSOOnlineGroup::GetOnlineGroupCookie},
    {"$void@OnlineGroup::AddUser(string)", &GSOOnlineGroup::AddUser},
    {"$void@OnlineGroup::RemoveUser(string)", &GSOOnlineGroup::RemoveUser},
    {"$int@OnlineGroup::CountUsers()", &GSOOnlineGroup::CountUsers},
    {"$string@OnlineGroup::GetIndexedUser(int)", &GSOOnlineGroup::GetIndexedUser},
    {"$int@OnlineGroup::FindUser(string)", &GSOOnlineGroup::FindUser},
    {"$int@OnlineGroup::GetUserStatus(int)", &GSOOnlineGroup::GetUserStatus},
    {"$int@OnlineGroup::PostMessage(Soup)", &GSOOnlineGroup::PostMessage},
    {"$int@OnlineGroup::CollectMessage(string,Soup)", &GSOOnlineGroup::CollectMessage},
    {"$void@OnlineGroup::SetModeFlags(int,int)", &GSOOnlineGroup::SetModeFlags},
    {"$void@OnlineGroup::SetUserModeFlags(string,int,int)", &GSOOnlineGroup::SetUserModeFlags},
};

// The status byte of a user-change message that adds the user, and the one that removes.
constexpr uint8_t kAddUser = 0;
constexpr uint8_t kRemoveUser = 1;

} // namespace

void RegisterOnlineGroupNatives(GSMachine& machine) {
    RegisterMemberNatives<GSOOnlineGroup>(machine, "OnlineGroup", kOnlineGroupNatives);
}

GSOOnlineGroup::GSOOnlineGroup(GSOOnlineAccess* owner, const Kiv::PString& name, int32_t parameter)
    : owner_(owner), name_(name), parameter_(parameter) {}

GSOOnlineGroup* GSOOnlineGroup::Construct(GSOOnlineAccess* owner, const Kiv::PString& name, int32_t parameter) {
    if (!ScriptClasses().onlineGroup) return nullptr;
    GSContext* context = owner->Context();
    auto* group = new GSOOnlineGroup(owner, name, parameter);
    GSAddReference(owner->GetInstance());
    GSOOnlineAccess::Endpoint().AddGroupListener(group);
    if (!group->Attach(ScriptClasses().onlineGroup, context)) {
        delete group;
        return nullptr;
    }
    if (context->GetRouter()) context->GetRouter()->AddNode(group);
    group->ConnectGroup();
    return group;
}

GSOOnlineGroup::~GSOOnlineGroup() {
    GroupClosed();
    for (OnlineGroupMessage* message : queue_) delete message;
}

void GSOOnlineGroup::ConnectGroup() {
    if (!owner_ || status_ != kNotConnected) return;
    status_ = kConnecting;
    if (name_.IsEmpty()) {
        GSOOnlineAccess::Endpoint().SendCreateGroup(parameter_);
    } else {
        GSOOnlineAccess::Endpoint().SendOpenGroup(name_, parameter_);
    }
}

void GSOOnlineGroup::SetStatus(int32_t status) {
    if (status_ == status) return;
    status_ = status;
    Post("OnlineGroup", "StatusChange");
}

void GSOOnlineGroup::Post(const char* major, const char* minor) {
    GSMessage* message = RequestMessage(major, minor, GetId(), 0);
    if (message && GetRouter()) GetRouter()->PostMessage(message);
}

void GSOOnlineGroup::Update(float timeStep) {
    GSGameObject::Update(timeStep);
    if (!received_) return;
    received_ = false;
    Post("OnlineGroup", "ReceiveMessage");
}

bool GSOOnlineGroup::AcceptCreated() { return status_ == kConnecting && name_.IsEmpty(); }

void GSOOnlineGroup::GroupOpened(const Kiv::PString& group, TStream& rest) {
    name_ = group;
    SetStatus(kJoined);
    ReadMembers(rest, true);
}

void GSOOnlineGroup::MemberUpdate(TStream& rest) { ReadMembers(rest, false); }

void GSOOnlineGroup::ReadMembers(TStream& packet, bool full) {
    const auto notify = [this](OnlineGroupMembers::Change change, const Kiv::PString& name) {
        static const char* const kEvents[] = {"OnlineGroup.UserAdded", "OnlineGroup.UserStatus",
                                              "OnlineGroup.UserRemoved"};
        Post(kEvents[static_cast<int>(change)], name.c_str());
    };
    if (members_.Read(packet, full, notify)) Post("OnlineGroup", "UsersChange");
}

// The owner is forgotten before its reference goes: dropping the last one destroys the
// owner, which closes its groups again on the way.
void GSOOnlineGroup::GroupClosed() {
    SetStatus(kClosed);
    GSOOnlineAccess* owner = owner_;
    if (!owner) return;
    owner_ = nullptr;
    GSOOnlineAccess::Endpoint().RemoveGroupListener(this);
    GSReleaseReference(owner->GetInstance());
}

void GSOOnlineGroup::ClientRemoved(OnlineAccessClientBase* client) {
    if (owner_ && client == static_cast<OnlineAccessClientBase*>(owner_)) GroupClosed();
}

bool GSOOnlineGroup::IsThisGroup(const Kiv::PString& group) { return name_ == group; }

void GSOOnlineGroup::GroupMessage(const OnlineGroupMessage& message) {
    queue_.PushBack(new OnlineGroupMessage(message));
    received_ = true;
}

void GSOOnlineGroup::Connect(GSStack*) { ConnectGroup(); }

void GSOOnlineGroup::GetStatus(GSStack* stack) { stack->PushInt(status_); }

void GSOOnlineGroup::Disconnect(GSStack*) {
    if (!owner_) return;
    GSOOnlineAccess::Endpoint().SendLeaveGroup(name_);
    SetStatus(kNotConnected);
}

void GSOOnlineGroup::GetOnlineGroupCookie(GSStack* stack) {
    stack->PushString(status_ == kJoined ? name_.View() : std::string_view(), Context());
}

void GSOOnlineGroup::AddUser(GSStack* stack) {
    Kiv::PString user;
    if (!owner_ || !CheckStringArgument(stack, 1, false, user)) return;
    if (members_.Add(user)) GSOOnlineAccess::Endpoint().SendGroupUser(name_, kAddUser, user);
}

void GSOOnlineGroup::RemoveUser(GSStack* stack) {
    Kiv::PString user;
    if (!owner_ || !CheckStringArgument(stack, 1, false, user)) return;
    if (members_.Remove(user)) GSOOnlineAccess::Endpoint().SendGroupUser(name_, kRemoveUser, user);
}

void GSOOnlineGroup::CountUsers(GSStack* stack) { stack->PushInt(members_.Count()); }

void GSOOnlineGroup::GetIndexedUser(GSStack* stack) {
    stack->PushString(members_.NameAt(ArgumentValue(stack, 1).i).View(), Context());
}

void GSOOnlineGroup::FindUser(GSStack* stack) {
    Kiv::PString user;
    if (!CheckStringArgument(stack, 1, true, user)) return;
    stack->PushInt(members_.Find(user));
}

void GSOOnlineGroup::GetUserStatus(GSStack* stack) { stack->PushInt(members_.StatusAt(ArgumentValue(stack, 1).i)); }

void GSOOnlineGroup::PostMessage(GSStack* stack) {
    if (!owner_) {
        stack->PushInt(GSOOnlineAccess::kNotLoggedIn);
        return;
    }
    if (owner_->OverSendLimit()) {
        stack->PushInt(GSOOnlineAccess::kRefused);
        return;
    }
    GSOSoup* soup;
    if (!CheckObjectArgument(stack, 1, soup)) return;
    const int32_t result = GSOOnlineAccess::Endpoint().PostGroupMessage(owner_->kuid, Kiv::String(name_.View()), soup->Chunk());
    owner_->CountSend();
    stack->PushInt(result);
}

void GSOOnlineGroup::CollectMessage(GSStack* stack) {
    GSString* sender;
    GSOSoup* soup;
    if (!CheckObjectArgument(stack, 1, sender) || !CheckObjectArgument(stack, 2, soup)) return;
    int32_t result = GSOOnlineAccess::kNothing;
    if (!owner_ || GSOOnlineAccess::Endpoint().GetStatus() != OnlineAccessClientEndpoint::kLoggedIn) {
        result = GSOOnlineAccess::kNotLoggedIn;
    } else if (!queue_.IsEmpty()) {
        auto first = queue_.Begin();
        std::unique_ptr<OnlineGroupMessage> message(*first);
        queue_.Erase(first);
        sender->SetText(message->text.View());
        soup->Share(message->body);
        result = GSOOnlineAccess::kDone;
    }
    if (result != GSOOnlineAccess::kDone) sender->SetText("");
    stack->PushInt(result);
}

void GSOOnlineGroup::SetModeFlags(GSStack* stack) {
    if (!owner_) return;
    GSOOnlineAccess::Endpoint().SendSetModeFlags(name_, ArgumentValue(stack, 1).i, ArgumentValue(stack, 2).i);
}

void GSOOnlineGroup::SetUserModeFlags(GSStack* stack) {
    Kiv::PString user;
    if (!owner_ || !CheckStringArgument(stack, 1, false, user)) return;
    GSOOnlineAccess::Endpoint().SendSetUserModeFlags(name_, user, ArgumentValue(stack, 2).i, ArgumentValue(stack, 3).i);
}
