// The record file: one line per event of the link, for tests to read. Lines, each ending
// in "\n" and written whole under a lock (clients run on their own threads):
//   connect <client>            refuse <client> (too many clients)
//   handshake <client> version=<n> build=<n> flag=<n> path=<text>
//   request <client> id=<n> tid=<n> len=<n> data=<hex>
//   unknown <client> id=<n> tid=<n>            (answered with an empty reply)
//   answer <client> tid=<n> value=<n> expected=<n|none> match=<yes|no>
//   note <client> kind=<n> len=<n> data=<hex>
//   reply <client> tid=<n> len=<n> data=<hex> [fault=<name>]
//   goodbye <client>            drop <client> reason=<word>        end reason=<word>
//   recover <text>              a start-up repair of a killed daemon's leftovers
// Payloads that may hold a credential (settings and the login credential) are written as
// data=masked; the length stays. Hex shows at most the first 64 KiB, then "...". Path text
// shows bytes outside 0x21..0x7E and "%" as %XX.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "daemon/wire_bytes.h"

class DaemonRecord {
public:
    DaemonRecord() = default;
    ~DaemonRecord();
    DaemonRecord(const DaemonRecord&) = delete;
    DaemonRecord& operator=(const DaemonRecord&) = delete;

    // Appends to the file (made with mode 0600 when missing); an empty path records nothing.
    bool Open(const std::string& path);
    // Writes one line; the "\n" is added.
    void Line(const std::string& text);

    // Whether the payloads of request id (both ways) are masked.
    static bool IsMasked(int32_t requestId);
    // " len=<n> data=<hex or masked>".
    static std::string Payload(const WireBytes& bytes, bool masked);
    static std::string PathText(std::string_view text);

private:
    std::mutex lock_;
    int handle_ = -1;
};
