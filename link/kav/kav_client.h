// KAVClient: the tool's client of the asset-database daemon, a module of process-wide state
// and free operations. One TCP link to the daemon carries every request through Transact:
// the request goes out as one frame under the connection lock, the requester sleeps on its
// transaction, and a reader thread takes the daemon's frames off the link. For a reply it
// wakes the requester, which then reads the reply body itself while the reader waits on
// the hand-off event; notifications are read by the reader, results-log notes at once and
// the other kinds queued for the main thread (PumpMainThread). Lengths from the daemon are
// bounded (kMaxFrameLength); anything malformed drops the link and fails what is pending.
//
//     BufferStream request, reply;
//     request.Stream().WriteInt32(7); request.Stream().Rewind();
//     if (KAVClient::Transact(21, request.Stream(), reply.Stream())) { reply.Stream().Rewind(); ... }
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "link/kav/kav_client_environment.h"
#include "link/kav/kav_client_start_options.h"
#include "link/kav/kav_requests_asset.h"
#include "link/kav/kav_requests_settings.h"
#include "engine/string.h"
#include "foundation/kuid/kuid.h"

class KAVClientTransaction;
class KAVIncomingMessage;
class KAVQuestionHandler;
class ResultsLog;
class TBuffer;
class TStream;

// Runs one command-host job: reads the job, writes the answer for request 141; false when
// the job gets no answer.
using KAVCommandHostCallback = bool (*)(TBuffer& job, TBuffer& reply);

// The request wrappers of the base classes are called as KAVClient::GetAssetInfo(...).
class KAVClient : public KAVAssetRequests, public KAVSettingsRequests {
public:
    // True when already started or when one of the 11 connection attempts succeeds (the
    // daemon launched once before the second); false afterwards, options back to defaults.
    static bool Start(const KAVClientStartOptions& options);
    // Says goodbye, drops the link, forgets the options and the queued notifications and
    // waits for the question threads. Nothing when not started.
    static void Shutdown();
    // One connection attempt with handshake; true at once when a transport exists.
    static bool Connect();
    // Drops the link; a graceful drop says goodbye first. Nothing on the reader thread.
    static void Disconnect(bool abrupt);

    // Sends the request's bytes from its position to its end as request requestId and
    // appends the reply's bytes to reply. Blocks without time-out until the reply or the
    // loss of the link. handler answers the daemon's questions about this request; log
    // receives its results-log notes (and stays registered after the reply with keepLog).
    static bool Transact(int32_t requestId, TStream& request, TStream& reply,
                         KAVQuestionHandler* handler = nullptr, ResultsLog* log = nullptr,
                         bool keepLog = false);
    // As Transact, but only on the link numbered linkSerial: false, nothing sent, once that
    // link has ended; never connects. The command host's replies and keep-alives go out so,
    // as a new link would not be registered as a host.
    static bool TransactOnLink(uint64_t linkSerial, int32_t requestId, TStream& request, TStream& reply);
    // The number of the present link, 0 without one; each link made gets a new number.
    static uint64_t LinkSerial();

    // Exact transfers over the link's transport; the raw forms drop the link on failure
    // (the receive only when asked to).
    static bool SendExact(const void* bytes, size_t n);
    static bool ReceiveExact(void* buffer, size_t n);
    static bool SendRaw(const void* bytes, size_t n);
    static bool ReceiveRaw(void* buffer, size_t n, bool dropOnFailure);

    // Asks the daemon to end (request 270) and returns once it has closed the link.
    static void CloseDaemon();
    // Runs the queued main-thread jobs (the notifications among them) and advances the job
    // clock; the command host's loop and long downloads call it.
    static void PumpMainThread();

    static bool IsStarted();
    static bool IsConnected();
    // The two words of the daemon's handshake answer.
    static std::array<int32_t, 2> GetHandshakeWords();
    // The command host installs its job handler while it runs; null removes it.
    // The host's replies go out on the link it registered on (linkSerial), never another;
    // linkSerial 0 lets them go out on any link.
    static void SetCommandHostCallback(KAVCommandHostCallback callback, uint64_t linkSerial = 0);

    static void SetEnvironment(const KAVClientEnvironment& environment);
    static void ResetEnvironment();

private:
    // Drop of the link as the reader's exit does it: closed, not connected, hand-off set,
    // every request on the link failed.
    static void FailAllPending();
    static bool ReceiveInt32(int32_t& value, bool dropOnFailure);
    static bool TransactVia(uint64_t onlyLink, int32_t requestId, TStream& request, TStream& reply,
                            KAVQuestionHandler* handler, ResultsLog* log, bool keepLog);
    static bool WaitBeforeAttempt(int attempt);
    static bool SendRequestFrame(const uint8_t* frame, size_t n);
    static bool ReadReply(KAVClientTransaction& transaction, TStream& reply);

    static uint32_t ReaderThreadProc(void* argument);
    static bool ReadReplyFrame();
    static bool DiscardBytes(int32_t n);
    static bool ReadNoteFrame();
    static void QueueIncoming(std::unique_ptr<KAVIncomingMessage> message);
    static int32_t IncomingJob(intptr_t argument);
    static void HandleIncoming(TBuffer& payload, int32_t kind);
    static void HandleCommandJob(TBuffer& payload);
    static void HandleQuestion(TBuffer& payload);
    static void DrainIncoming();

    static void StartQuestionThread(const KUID& kuid, uint32_t transactionId,
                                    const Kiv::String& promptKey);
    static uint32_t QuestionThreadProc(void* argument);
    static void SendQuestionAnswer(uint32_t transactionId, int32_t answer);
    static void JoinQuestionThreads();
};
