#pragma once
// Runs the command line in this process, as a user would type it, and keeps what it printed.

#include "cli/cli_main.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vela::test {

struct CliOutcome {
    int code;
    std::string out;
    std::string err;
};

inline CliOutcome runCli(std::vector<std::string> words) {
    words.insert(words.begin(), "velaupdate");
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int code = cli::runCli(static_cast<int>(words.size()), argv.data());
    std::fflush(stdout);
    std::fflush(stderr);
    return {code, testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
}

}  // namespace vela::test
