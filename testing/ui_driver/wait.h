#pragma once
// Bounded polling: every wait of the driver ends, and a timeout says what was awaited.
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>

#include "ui_driver/failure.h"

namespace qh::testing {

inline constexpr std::chrono::milliseconds kDefaultTimeout{10'000};
// How long one message to another process's window may take before that window counts as hung.
inline constexpr std::chrono::milliseconds kMessageTimeout{2'000};
inline constexpr std::chrono::milliseconds kPollInterval{20};

// Polls probe until it answers true (or a value, for a probe returning std::optional) and returns
// that value; returns std::nullopt / false when timeout passes first. The probe runs at least once.
template <typename Probe>
auto PollUntil(std::chrono::milliseconds timeout, Probe&& probe) -> decltype(probe()) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (auto result = probe()) return result;
        if (std::chrono::steady_clock::now() >= deadline) return decltype(probe()){};
        std::this_thread::sleep_for(kPollInterval);
    }
}

// PollUntil, but a timeout throws std::runtime_error naming what: "timed out after 10000 ms
// waiting for <what>". what is built only when needed.
template <typename Probe, typename Describe>
auto WaitUntil(std::chrono::milliseconds timeout, Probe&& probe, Describe&& what) {
    auto result = PollUntil(timeout, probe);
    if (!result) {
        Fail(L"timed out after " + Milliseconds(timeout) + L" waiting for " + std::wstring(what()));
    }
    if constexpr (std::is_same_v<decltype(result), bool>) {
        return;
    } else {
        return *std::move(result);
    }
}

}  // namespace qh::testing
