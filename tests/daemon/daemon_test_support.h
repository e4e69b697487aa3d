// Support of the daemon's tests: a raw-socket client that sees exactly the bytes the daemon
// sends, hand-written little-endian words for the frames it sends, and a reader of the
// record file that waits for a line to appear (the daemon's threads write it).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace daemon_test {

// The four bytes of a little-endian word.
std::string Le32(uint32_t value);
// Bytes from a list of values 0..255.
std::string Bytes(std::initializer_list<int> values);

// The client's handshake: C V A K, version 330, build 49933, flag, path length, path.
std::string HandshakeBytes(const std::string& path, int32_t flag = 1);
// A request frame: id, transaction id, length, payload.
std::string RequestBytes(int32_t id, uint32_t transactionId, const std::string& payload = "");

// The daemon's handshake reply: K A V D reversed, then 330 and 49933.
extern const std::string kHandshakeReply;

class RawClient {
public:
    explicit RawClient(int port);
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool Connected() const { return socket_ >= 0; }
    bool Send(const std::string& bytes);
    // Ends the client's sending half (the daemon reads the end of the stream).
    void ShutdownSending();
    // Up to size bytes: fewer when the daemon closed the link or nothing came for a minute.
    std::string Read(size_t size);
    // Whether the daemon closed the link (within 5 s) without sending anything more.
    bool SeesEnd();
    // Sends the handshake and answers the reply bytes.
    std::string Handshake(const std::string& path = "\\inst\\UserData\\assets.tdx");
    // Sends a request and reads a reply frame of replyLength bytes.
    std::string Transact(int32_t id, uint32_t transactionId, const std::string& payload,
                         size_t replyLength = 0);

private:
    int socket_ = -1;
};

// The 'repl' frame with those fields, written by hand.
std::string ReplyFrame(uint32_t transactionId, const std::string& reply);

// The fields of a discovery block that tests look at.
struct BlockFields {
    int32_t holder = 0;
    int32_t owner = 0;
    int32_t version = 0;
    int32_t port = 0;
};
// Reads the block file of the database path in the IPC folder by hand (all zero when the
// file is missing or short).
BlockFields ReadBlockFile(const std::string& ipcFolder, const std::string& databasePath);

// The lines of a record file.
std::vector<std::string> ReadLines(const std::string& path);
bool HasLine(const std::string& path, const std::string& line);
// Waits (up to 5 s) until the file holds that line.
bool WaitForLine(const std::string& path, const std::string& line);

}  // namespace daemon_test
