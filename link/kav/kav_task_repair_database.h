// KAVTaskRepairDatabase: the database repair as a task job. It starts the repair at the
// daemon (request 3), whose log entries for the repair stream into the report target while
// it runs, waits a second, then polls its progress (request 4) every 250 ms until the
// daemon says it has ended or the owner task asks to cancel. A repair whose start or poll
// gets no answer (the link is gone) logs an error saying what it left undone. One repair
// runs per process at a time; a second one reports "$kavtask_repair_err_duplicate" and ends
// at once. The waits go through a wait function that tests replace.
#pragma once

#include <cstdint>
#include <functional>

#include "link/kav/kav_task.h"

class KAVTaskRepairDatabase : public KAVTaskThread {
public:
    static constexpr int32_t kModeExtended = 150;
    static constexpr int32_t kModeNormal = 100;
    static constexpr int32_t kModePatcher = 50;
    static constexpr int64_t kStartWaitMs = 1000;
    static constexpr int64_t kPollWaitMs = 250;

    using WaitFunction = std::function<void(int64_t ms)>;

    // explicitLog, when given, receives the daemon's entries instead of the owner task.
    explicit KAVTaskRepairDatabase(int32_t mode, ResultsLog* explicitLog = nullptr)
        : mode_(mode), explicitLog_(explicitLog) {}
    ~KAVTaskRepairDatabase() override;

    static bool IsRunning();
    // Kiv::Time::Delay unless replaced; the reset puts it back.
    static void SetWait(WaitFunction wait);
    static void ResetWait();

protected:
    int32_t Run() override;

private:
    ResultsLog* ReportTarget() const;
    void ReportLinkLost(bool started) const;

    int32_t mode_;
    ResultsLog* explicitLog_;
};
