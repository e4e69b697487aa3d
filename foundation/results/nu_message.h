// Messages between objects: a NuMessageRecipient keeps an intrusive list of subscription
// links (NuMessageSubscription) and broadcasts a NuMessageData (an interned type and one
// pointer-sized value) to the handler of each link. The results log broadcasts
// "list-updated" and "list-destroyed" this way; a closing link tells its listener
// "pipe-closed". Nothing here locks: the sender's owner guards its list.
#pragma once

#include <cstdint>
#include <utility>

#include "engine/pstring.h"

class NuMessageData {
  public:
    NuMessageData(Kiv::PString type, uintptr_t value) : type_(std::move(type)), value_(value) {}
    virtual ~NuMessageData() = default;

    const Kiv::PString& Type() const { return type_; }
    uintptr_t Value() const { return value_; }

  private:
    Kiv::PString type_;
    uintptr_t value_;
};

// The message types of the tool, each interned once on first use.
namespace NuMessageType {
const Kiv::PString& ListUpdated();   // value: the sending results log
const Kiv::PString& ListDestroyed(); // value: the sending results log
const Kiv::PString& PipeClosed();    // value: the closed link's handler
} // namespace NuMessageType

class NuMessageSubscription;

class NuMessageRecipient {
  public:
    NuMessageRecipient() = default;
    NuMessageRecipient(const NuMessageRecipient&) = delete;
    NuMessageRecipient& operator=(const NuMessageRecipient&) = delete;
    // Disconnects every link, first to last.
    virtual ~NuMessageRecipient();

    // Where ForwardMessage hands messages on; none by default.
    virtual NuMessageRecipient* GetForwardTarget() { return nullptr; }
    // The forward target's answer, or 1 when there is none. Classes that react to messages
    // override this.
    virtual int32_t ForwardMessage(const NuMessageData& message);

    // Hands message to the handler of every link, in list order. The next link is taken
    // before each call, so a handler may disconnect its own link.
    void NotifyRecipients(const NuMessageData& message);

    bool HasSubscriptions() const { return head_ != nullptr; }

  private:
    friend class NuMessageSubscription;
    NuMessageSubscription* head_ = nullptr;
    NuMessageSubscription* tail_ = nullptr;
};

// A link in a recipient's list: the handler receives the recipient's broadcasts, the
// listener is told when the link is disconnected. Destroying a connected link unlinks it
// without telling anyone.
class NuMessageSubscription {
  public:
    NuMessageSubscription(NuMessageRecipient* listener, NuMessageRecipient* handler)
        : listener_(listener), handler_(handler) {}
    NuMessageSubscription(const NuMessageSubscription&) = delete;
    NuMessageSubscription& operator=(const NuMessageSubscription&) = delete;
    ~NuMessageSubscription() { Unlink(); }

    // Appends this link to the end of source's list (leaving any list it was in).
    void Connect(NuMessageRecipient& source);
    // Clears the listener, leaves the list, and when there was a listener sends it
    // "pipe-closed" carrying the handler.
    void Disconnect();

    bool IsConnected() const { return list_ != nullptr; }
    NuMessageRecipient* Listener() const { return listener_; }
    NuMessageRecipient* Handler() const { return handler_; }

  private:
    friend class NuMessageRecipient;
    void Unlink();

    NuMessageSubscription* prev_ = nullptr;
    NuMessageSubscription* next_ = nullptr;
    NuMessageRecipient* list_ = nullptr;
    NuMessageRecipient* listener_;
    NuMessageRecipient* handler_;
};
