// Results-log entries whose "$(NAME)" placeholders are filled from a soup's children.
#include "foundation/results/results_log.h"

#include <gtest/gtest.h>

#include "foundation/soup/chunk.h"

namespace {

std::string LastText(const ResultsLog& log) {
    std::string last;
    for (const ResultsLogEntry& entry : log.Entries())
        last = entry.text.Std();
    return last;
}

TEST(SoupResultsLog, EachChildFillsThePlaceholdersOfItsUpperCasedName) {
    ACSChunkRef parameters;
    parameters.SetNamedTagString("name", "abc");
    parameters.SetNamedTagInt("count", 12);
    parameters.SetNamedTagKUID("asset", KUID(1, 2, 0));
    parameters.SetNamedTagFloat("ratio", 0.5f);
    ResultsLog log;
    log.AddEntry(ResultsLogKind::Warning, nullptr,
                 "x $(name) y $(NAME) $(Count) of $(ASSET) at $(ratio), $(missing)", parameters);
    EXPECT_EQ(LastText(log), "x abc y abc 12 of <kuid:1:2> at 0.5, $(missing)");
    EXPECT_EQ(log.WarningCount(), 1);
}

TEST(SoupResultsLog, ValuesWithoutTextAndEmptySoupsFillNothingOrTheEmptyText) {
    ACSChunkRef parameters;
    parameters.SetNamedTagEmpty("gone");
    ACSChunkRef sub;
    parameters.SetNamedSoup("sub", sub);
    ResultsLog log;
    log.AddEntry(ResultsLogKind::Information, nullptr, "[$(gone)][$(sub)]", parameters);
    EXPECT_EQ(LastText(log), "[][]");
    log.AddEntry(ResultsLogKind::Information, nullptr, "$(x)", ACSChunkRef());
    EXPECT_EQ(LastText(log), "$(x)");
}

} // namespace
