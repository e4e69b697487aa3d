// Every client test runs with the daemon link connected to the spec registry and the
// content databases, as the program's start-up connects them.
#include <gtest/gtest.h>

#include "client/upward_seams.h"

namespace {

class UpwardSeamsEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { KodrinUtil::InstallUpwardSeams(); }
};

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new UpwardSeamsEnvironment);

} // namespace
