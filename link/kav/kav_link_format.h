// The client's side of the daemon link format: the four-character tags, the fixed words of
// the handshake and the frames, the requests the link sends on its own, the notification
// kinds and the bound on every length the daemon sends. All values travel as 32-bit
// little-endian integers; a tag has its first letter in the most significant byte, so
// 'KAVC' appears on the wire as C V A K.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/build_identity.h"
#include "foundation/streams/little_endian.h"

namespace KAVLink {

constexpr int32_t FourCharCode(char a, char b, char c, char d) {
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<unsigned char>(a)) << 24) |
                                (static_cast<uint32_t>(static_cast<unsigned char>(b)) << 16) |
                                (static_cast<uint32_t>(static_cast<unsigned char>(c)) << 8) |
                                static_cast<uint32_t>(static_cast<unsigned char>(d)));
}

constexpr int32_t kClientTag = FourCharCode('K', 'A', 'V', 'C');
constexpr int32_t kDaemonTag = FourCharCode('K', 'A', 'V', 'D');
constexpr int32_t kReplyTag = FourCharCode('r', 'e', 'p', 'l');
constexpr int32_t kNoteTag = FourCharCode('n', 'o', 't', 'e');

constexpr int32_t kVersion = BuildIdentity::kVersion;
constexpr int32_t kBuild = BuildIdentity::kBuildNumber;

// Sent in place of a request id when the client leaves.
constexpr int32_t kGoodbye = 1;

// Request frame header: request id, transaction id, payload length.
constexpr size_t kRequestHeaderSize = 12;
// The two words after the daemon's 'KAVD'.
constexpr size_t kHandshakeReplyWords = 2;

// A reply or note longer than this, or negative, is a broken link: it is dropped rather
// than read, so a hostile length can neither desynchronise it nor size an allocation.
constexpr int32_t kMaxFrameLength = 256 * 1024 * 1024;

// Requests that the link and the command host send themselves (their replies are not read).
namespace Request {
constexpr int32_t kKeepAlive = 0;
constexpr int32_t kRegisterCommandHost = 140;
constexpr int32_t kCommandHostReply = 141;  // payload: what the job callback wrote
constexpr int32_t kQuestionAnswer = 150;    // payload: int32 transaction id, int32 answer
constexpr int32_t kCloseDaemon = 270;       // empty payload; the daemon then closes the link
}  // namespace Request

// Notification kinds of a 'note' frame.
namespace Note {
constexpr int32_t kStatus = 0;      // int32 status value; main thread
constexpr int32_t kCommandJob = 1;  // a command-host job; main thread
constexpr int32_t kQuestion = 2;    // uint32 transaction id, PString prompt key, KUID; main thread
constexpr int32_t kResultsLog = 3;  // uint32 transaction id, a results log; at once
}  // namespace Note

// Answers to a question when no handler gives one.
namespace Answer {
constexpr int32_t kNoHandler = 2;
constexpr int32_t kNoTransaction = 4;
}  // namespace Answer

inline void AppendInt32(std::vector<uint8_t>& bytes, int32_t value) {
    uint8_t word[4];
    StoreLittleEndian(static_cast<uint32_t>(value), word, 4);
    bytes.insert(bytes.end(), word, word + 4);
}

inline int32_t LoadInt32(const uint8_t* bytes) {
    return static_cast<int32_t>(static_cast<uint32_t>(LoadLittleEndian(bytes, 4)));
}

inline bool IsSaneLength(int32_t length) { return length >= 0 && length <= kMaxFrameLength; }

}  // namespace KAVLink
