// KAVUrlFetch: one web download that the daemon performs for the tool (the tool opens no
// HTTP connection itself). Started by KAVClient::StartUrlFetch, polled until done (the done
// status is then kept and answered without asking again), and closed, which ends the
// download at the daemon and frees the record.
#pragma once

#include <cstdint>

#include "link/url_record.h"
#include "engine/file_path.h"
#include "engine/pstring.h"

struct KAVUrlFetchStatus {
    bool done = false;
    int32_t status = 0;
    int32_t first = 0; // the daemon's, by its place on the wire
    int32_t third = 0;
    Kiv::File::Path path; // the local file that holds the download
    Kiv::PString text;

    void CopyTo(KAVUrlFetchStatus& other) const { other = *this; }
};

class KAVUrlFetch {
public:
    KAVUrlFetch(int64_t handle, const UrlRecord& url) : handle_(handle), url_(url) {}

    // The stored status once done; else request 232, the answer stored on success.
    static void Poll(KAVUrlFetch* fetch, KAVUrlFetchStatus& status);
    // Releases the download at the daemon (request 231) and frees the record; nothing for null.
    static void Close(KAVUrlFetch* fetch);

    // Each polls once.
    bool IsDone();
    int32_t GetStatus();
    // The file and text of the download; true when the path is not empty.
    bool GetResult(Kiv::File::Path& path, Kiv::PString& text);

    int64_t Handle() const { return handle_; }
    const UrlRecord& Url() const { return url_; }
    const KAVUrlFetchStatus& LastStatus() const { return last_; }
    // Request 231 drops the status text with the download.
    void ForgetText() { last_.text = Kiv::PString(); }

private:
    int64_t handle_;
    KAVUrlFetchStatus last_;
    UrlRecord url_;
};
