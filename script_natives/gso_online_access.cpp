// The online-access objects and their natives, the process-wide list of them and the
// offline message boxes.
#include "script_natives/gso_online_access.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/file.h"
#include "link/kav/kav_requests_asset.h"
#include "link/kav/kav_requests_settings.h"
#include "script_natives/gso_online_group.h"
#include "script_natives/gso_soup.h"
#include "script_natives/native_arguments.h"
#include "script_natives/native_registration.h"
#include "script_natives/script_class_slots.h"
#include "script_natives/script_system_setup.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_router.h"
#include "script_runtime/gs_stack.h"

namespace {

const MemberNative<GSOOnlineAccess> kOnlineAccessNatives[] = {
    {"$void@OnlineAccess::Connect()", &GSOOnlineAccess::Connect},
    {"$int@OnlineAccess::GetStatus()", &GSOOnlineAccess::GetStatus},
    {"$void@OnlineAccess::Disconnect()", &GSOOnlineAccess::Disconnect},
    {"$string@OnlineAccess::GetUsername()", &GSOOnlineAccess::GetUsername},
    {"$int@OnlineAccess::GetLocalData(string,Soup)", &GSOOnlineAccess::GetLocalData},
    {"$int@OnlineAccess::SetLocalData(string,Soup)", &GSOOnlineAccess::SetLocalData},
    {"$int@OnlineAccess::GetProfileData(string,Soup)", &GSOOnlineAccess::GetProfileData},
    {"$int@OnlineAccess::SetProfileData(string,Soup)", &GSOOnlineAccess::SetProfileData},
    {"$int@OnlineAccess::PostMessage(string,Soup)", &GSOOnlineAccess::PostMessage},
    {"$int@OnlineAccess::CollectMessage(string,Soup)", &GSOOnlineAccess::CollectMessage},
    {"$OnlineGroup@OnlineAccess::CreateGroup(int)", &GSOOnlineAccess::CreateGroup},
    {"$OnlineGroup@OnlineAccess::OpenGroup(string,int)", &GSOOnlineAccess::OpenGroup},
    {"$int@OnlineAccess::PostOfflineMessage(Soup)", &GSOOnlineAccess::PostOfflineMessage},
    {"$int@OnlineAccess::CollectOfflineMessage(Soup)", &GSOOnlineAccess::CollectOfflineMessage},
};

// The profile natives keep nothing: a read finds nothing, a write is refused.
constexpr int32_t kProfileDataAbsent = GSOOnlineAccess::kNothing;
constexpr int32_t kProfileDataRefused = GSOOnlineAccess::kRefused;

std::vector<GSOOnlineAccess*>& Objects() {
    static std::vector<GSOOnlineAccess*> objects;
    return objects;
}

OnlineAccessClientEndpoint*& ChosenEndpoint() {
    static OnlineAccessClientEndpoint* endpoint = nullptr;
    return endpoint;
}

bool Referenced(const GSOOnlineAccess* object) {
    const GSScriptInstance* instance = GSInstanceOf(object->GetInstance());
    return instance && instance->ReferenceCount() > 0;
}

void LoadBox(ACSChunkRef& box, const char* name) {
    box.Release();
    box.LoadFromFileWithRecovery(Kiv::PString("cache"), Kiv::File::Path(name));
}

} // namespace

void RegisterOnlineAccessNatives(GSMachine& machine) {
    RegisterMemberNatives<GSOOnlineAccess>(machine, "OnlineAccess", kOnlineAccessNatives);
    GSOOnlineAccess::LoadOfflineStores();
}

OnlineAccessClientEndpoint& GSOOnlineAccess::Endpoint() {
    return ChosenEndpoint() ? *ChosenEndpoint() : OnlineAccessClientEndpoint::Get();
}

void GSOOnlineAccess::UseEndpoint(OnlineAccessClientEndpoint* endpoint) { ChosenEndpoint() = endpoint; }

ACSChunkRef& GSOOnlineAccess::OfflineInbox() {
    static ACSChunkRef inbox;
    return inbox;
}

ACSChunkRef& GSOOnlineAccess::OfflineOutbox() {
    static ACSChunkRef outbox;
    return outbox;
}

void GSOOnlineAccess::LoadOfflineStores() {
    LoadBox(OfflineInbox(), "offline-inbox.tbox");
    LoadBox(OfflineOutbox(), "offline-outbox.tbox");
    Endpoint().LoadMessageCache();
}

GSOOnlineAccess::GSOOnlineAccess(const KUID& owner) : OnlineAccessClientBase(owner) {}

GSOOnlineAccess* GSOOnlineAccess::GetScriptObjectForKey(const KUID& owner, GSContext* context) {
    for (GSOOnlineAccess* object : Objects()) {
        if (object->Context() != context || object->kuid.userId != owner.userId ||
            object->kuid.contentId != owner.contentId || !Referenced(object))
            continue;
        GSAddReference(object->GetInstance());
        return object;
    }
    return Construct(context, owner);
}

GSOOnlineAccess* GSOOnlineAccess::Construct(GSContext* context, const KUID& owner) {
    // Without the class nothing is made, and nothing leaves the endpoint as it goes.
    if (!ScriptClasses().onlineAccess) return nullptr;
    auto* object = new GSOOnlineAccess(owner);
    if (!object->Attach(ScriptClasses().onlineAccess, context)) {
        delete object;
        return nullptr;
    }
    if (context->GetRouter()) context->GetRouter()->AddNode(object);
    object->ownerModified_ = KAVAssetRequests::IsAssetLocallyModified(owner);
    Objects().insert(Objects().begin(), object);
    return object;
}

GSOOnlineAccess::~GSOOnlineAccess() {
    LeaveEndpoint();
    for (OnlineAccessVersionedMessage* message : queue_) delete message;
    std::erase(Objects(), this);
}

void GSOOnlineAccess::LeaveEndpoint() {
    OnlineAccessClientEndpoint& endpoint = Endpoint();
    endpoint.RemoveClient(this);
    if (!endpoint.HasClients()) endpoint.Disconnect();
    endpoint.SaveMessageCache();
}

void GSOOnlineAccess::Post(const char* minor) {
    GSMessage* message = RequestMessage("OnlineAccess", minor, GetId(), 0);
    if (message && GetRouter()) GetRouter()->PostMessage(message);
}

void GSOOnlineAccess::Update(float timeStep) {
    GSGameObject::Update(timeStep);
    sendCounter_ = std::max(0.0f, sendCounter_ - timeStep);
    OnlineAccessClientEndpoint& endpoint = Endpoint();
    endpoint.Tick();
    if (endpoint.GetStatus() != lastStatus_) {
        lastStatus_ = endpoint.GetStatus();
        Post("StatusChange");
        if (!queue_.IsEmpty()) received_ = true;
    }
    if (!received_) return;
    received_ = false;
    Post("ReceiveMessage");
}

// A plain message is taken as a versioned one of version 0 from an unmodified sender. An
// owner that is modified locally hears only from senders that are modified too.
void GSOOnlineAccess::Receive(const OnlineAccessMessage& message) {
    auto copy = std::make_unique<OnlineAccessVersionedMessage>();
    copy->name = message.name;
    copy->body = message.body;
    copy->kuid = message.kuid;
    if (const auto* versioned = dynamic_cast<const OnlineAccessVersionedMessage*>(&message)) {
        copy->version = versioned->version;
        copy->flag = versioned->flag;
    }
    if (ownerModified_ && copy->flag == 0) return;
    queue_.PushBack(copy.release());
    received_ = true;
}

void GSOOnlineAccess::Connect(GSStack*) { OnlineAccess::Connect(this); }

void GSOOnlineAccess::GetStatus(GSStack* stack) { stack->PushInt(lastStatus_); }

void GSOOnlineAccess::Disconnect(GSStack*) { LeaveEndpoint(); }

void GSOOnlineAccess::GetUsername(GSStack* stack) {
    stack->PushString(KAVSettingsRequests::GetOnlineProfile().View(), Context());
}

bool GSOOnlineAccess::KeyAndSoup(GSStack* stack, Kiv::PString& key, GSOSoup*& soup) {
    if (!CheckStringArgument(stack, 1, false, key) || !CheckObjectArgument(stack, 2, soup)) return false;
    key = key.ToLower();
    return true;
}

void GSOOnlineAccess::GetLocalData(GSStack* stack) {
    Kiv::PString key;
    GSOSoup* soup;
    if (!KeyAndSoup(stack, key, soup)) return;
    if (soup->Locked()) {
        RaiseScriptError("OnlineAccess.GetLocalData> soup is locked");
        return;
    }
    ACSChunkRef copy;
    copy.CopyFrom(KAVAssetRequests::GetLocalData(kuid, key));
    soup->Share(copy);
    stack->PushInt(kDone);
}

void GSOOnlineAccess::SetLocalData(GSStack* stack) {
    Kiv::PString key;
    GSOSoup* soup;
    if (!KeyAndSoup(stack, key, soup)) return;
    KAVAssetRequests::SetLocalData(kuid, key, soup->Chunk());
    stack->PushInt(kDone);
}

void GSOOnlineAccess::GetProfileData(GSStack* stack) { stack->PushInt(kProfileDataAbsent); }

void GSOOnlineAccess::SetProfileData(GSStack* stack) { stack->PushInt(kProfileDataRefused); }

void GSOOnlineAccess::PostMessage(GSStack* stack) {
    if (OverSendLimit()) {
        stack->PushInt(kRefused);
        return;
    }
    Kiv::PString user;
    GSOSoup* soup;
    if (!CheckStringArgument(stack, 1, false, user) || !CheckObjectArgument(stack, 2, soup)) return;
    const int32_t result = Endpoint().PostMessage(kuid, Kiv::String(user.View()), soup->Chunk(), ownerModified_ ? 1 : 0);
    CountSend();
    stack->PushInt(result);
}

void GSOOnlineAccess::CollectMessage(GSStack* stack) {
    GSString* sender;
    GSOSoup* soup;
    if (!CheckObjectArgument(stack, 1, sender) || !CheckObjectArgument(stack, 2, soup)) return;
    int32_t result = kNothing;
    if (Endpoint().GetStatus() != OnlineAccessClientEndpoint::kLoggedIn) {
        result = kNotLoggedIn;
    } else if (!queue_.IsEmpty()) {
        auto first = queue_.Begin();
        std::unique_ptr<OnlineAccessVersionedMessage> message(*first);
        queue_.Erase(first);
        sender->SetText(message->name.View());
        soup->Share(message->body);
        result = kDone;
    }
    if (result != kDone) sender->SetText("");
    stack->PushInt(result);
}

void GSOOnlineAccess::CreateGroup(GSStack* stack) {
    GSOOnlineGroup* group = GSOOnlineGroup::Construct(this, Kiv::PString(), ArgumentValue(stack, 1).i);
    stack->PushObjectNoRef(group, ScriptClasses().onlineGroup);
}

void GSOOnlineAccess::OpenGroup(GSStack* stack) {
    Kiv::PString name;
    if (!CheckStringArgument(stack, 1, false, name)) return;
    GSOOnlineGroup* group = GSOOnlineGroup::Construct(this, name, ArgumentValue(stack, 2).i);
    stack->PushObjectNoRef(group, ScriptClasses().onlineGroup);
}

void GSOOnlineAccess::PostOfflineMessage(GSStack* stack) {
    GSOSoup* soup;
    if (!CheckObjectArgument(stack, 1, soup)) return;
    ACSChunkRef& outbox = OfflineOutbox();
    outbox.EnsureContainer();
    ACSChunkRef copy;
    copy.CopyFrom(soup->Chunk());
    outbox.SetNamedSoup(outbox.GetUniqueTagName(), copy);
    stack->PushInt(kDone);
}

void GSOOnlineAccess::CollectOfflineMessage(GSStack* stack) {
    GSOSoup* soup;
    if (!CheckObjectArgument(stack, 1, soup)) return;
    ACSChunkRef& inbox = OfflineInbox();
    if (inbox.IsNull() || inbox.CountTags() == 0) {
        stack->PushInt(kNothing);
        return;
    }
    const Kiv::PString tag = inbox.GetIndexedTagName(0);
    soup->Share(inbox.GetNamedSoup(tag));
    inbox.RemoveNamedTag(tag);
    stack->PushInt(kDone);
}
