// One table of settings: argument, environment variable, and the field it fills.
#include "daemon/daemon_command_line.h"

#include <cerrno>
#include <cstdlib>
#include <iterator>
#include <string_view>

namespace {

enum class Setting { kScript, kRecord, kIdleMs };

struct SettingName {
    Setting setting;
    const char* argument;
    const char* variable;
};

constexpr SettingName kSettings[] = {
    {Setting::kScript, "--script", "KAVDAEMON_SCRIPT"},
    {Setting::kRecord, "--record", "KAVDAEMON_RECORD"},
    {Setting::kIdleMs, "--idle-ms", "KAVDAEMON_IDLE_MS"},
};

constexpr long long kMaxIdleMs = 365LL * 24 * 60 * 60 * 1000;

bool ParseIdleMs(const std::string& text, std::chrono::milliseconds& out) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < 0 || value > kMaxIdleMs) return false;
    out = std::chrono::milliseconds(value);
    return true;
}

bool Apply(Setting setting, const std::string& value, DaemonCommandLine& out, std::string& error) {
    switch (setting) {
    case Setting::kScript: out.scriptPath = value; return true;
    case Setting::kRecord: out.recordPath = value; return true;
    case Setting::kIdleMs:
        if (ParseIdleMs(value, out.idleTime)) return true;
        error = "idle time is not a number of milliseconds: " + value;
        return false;
    }
    return false;
}

const SettingName* FindArgument(std::string_view argument) {
    for (const SettingName& name : kSettings) {
        if (argument == name.argument) return &name;
    }
    return nullptr;
}

}  // namespace

bool ParseDaemonCommandLine(int argc, const char* const* argv,
                            const char* (*lookup)(const char* name), DaemonCommandLine& out,
                            std::string& error) {
    bool given[std::size(kSettings)] = {};
    for (int i = 1; i < argc; ++i) {
        const SettingName* name = FindArgument(argv[i]);
        if (!name) {
            error = std::string("unknown argument: ") + argv[i];
            return false;
        }
        if (i + 1 >= argc) {
            error = std::string("missing value after ") + argv[i];
            return false;
        }
        if (!Apply(name->setting, argv[++i], out, error)) return false;
        given[name - kSettings] = true;
    }
    for (size_t i = 0; i < std::size(kSettings); ++i) {
        const char* value = given[i] ? nullptr : lookup(kSettings[i].variable);
        if (value && *value && !Apply(kSettings[i].setting, value, out, error)) return false;
    }
    return true;
}
