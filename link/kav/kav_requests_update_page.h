// The update-page check: the daemon fetches the product's update page (mode 2) and the
// check reports full progress when the fetch ended with status word 0. Nothing starts the
// check yet; it polls every 100 ms through the sleep it is given, and gives up when the
// fetch could not start or the link is lost, where polling would never see it done.
#pragma once

#include <cstdint>
#include <functional>

// The page the check fetches.
inline constexpr const char* kUpdatePageAddress = "http://update.pelmo.example/kodrinutil/";
inline constexpr int64_t kUpdatePagePollMs = 100;

// reportProgress gets 1.0 on success; answers whether the page was fetched.
bool FetchUpdatePage(const std::function<void(float)>& reportProgress,
                     const std::function<void(int64_t)>& sleepMs);
