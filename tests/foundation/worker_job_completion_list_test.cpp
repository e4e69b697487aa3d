// The completion list: records listed once and taken off again, and its empty event, which
// a waiting thread sees set by the removal of the last record on another thread.
#include "foundation/jobs/worker_job_completion_list.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(WorkerJobCompletionList, ListsEachRecordOnceAndTakesItOff) {
    WorkerJobCompletionList list;
    WorkerJobCompletion first, second;
    EXPECT_TRUE(list.WaitUntilEmpty(0));
    list.Add(first);
    list.Add(first);
    list.Add(second);
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_TRUE(list.Contains(first));
    EXPECT_FALSE(list.WaitUntilEmpty(0));
    EXPECT_TRUE(list.Remove(first));
    EXPECT_FALSE(list.Remove(first));
    EXPECT_FALSE(list.Contains(first));
    EXPECT_FALSE(list.WaitUntilEmpty(0));
    EXPECT_TRUE(list.Remove(second));
    EXPECT_TRUE(list.WaitUntilEmpty(0));
    list.Add(second);
    EXPECT_FALSE(list.WaitUntilEmpty(0)) << "listing again clears the event";
    EXPECT_TRUE(list.Remove(second));
}

TEST(WorkerJobCompletionList, AWaiterIsReleasedWhenTheLastRecordGoes) {
    WorkerJobCompletionList list;
    WorkerJobCompletion record;
    list.Add(record);
    std::thread remover([&] { list.Remove(record); });
    EXPECT_TRUE(list.WaitUntilEmpty(10000));
    remover.join();
    EXPECT_EQ(list.Count(), 0u);
}

TEST(WorkerJobCompletionList, TheProcessWideListStartsEmpty) {
    EXPECT_EQ(WorkerJobCompletionList::Global().Count(), 0u);
    EXPECT_TRUE(WorkerJobCompletionList::Global().WaitUntilEmpty(0));
}

}  // namespace
