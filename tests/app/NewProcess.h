#pragma once
// A walk that ends the program and goes on in a new one: the first phase plays, saves and shuts
// the game down in this process; the second phase is a test of its own (named DISABLED_..., so
// that a plain run passes it over) that this same test program runs in a fresh process, with
// the user folder handed over in an environment variable. Nothing of the first game's memory
// reaches the second: what the second finds, it found on disk.
#include <gtest/gtest.h>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace newprocess {

// The user folder (the XDG data home) the first phase played in.
constexpr const char* PHASE_DATA_HOME = "VELDMARK_PHASE_DATA_HOME";

struct Outcome {
    int status = -1;  // the exit status; -1 when the process could not run or was killed
    std::string output;

    // The second phase ran, and its one test passed.
    bool Passed() const
    {
        return status == 0 && output.find("[  PASSED  ] 1 test.") != std::string::npos &&
               output.find("[  SKIPPED ]") == std::string::npos;
    }
};

namespace detail {

inline Outcome Run(const std::string& test, const std::vector<std::pair<std::string, std::string>>& env)
{
    Outcome outcome;
    char self[PATH_MAX] = "";
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        outcome.output = "this program cannot find itself";
        return outcome;
    }
    self[length] = '\0';
    const std::string filter = "--gtest_filter=" + test;
    int channel[2];
    if (pipe(channel) != 0) {
        outcome.output = "no pipe";
        return outcome;
    }
    const pid_t child = fork();
    if (child < 0) {
        close(channel[0]);
        close(channel[1]);
        outcome.output = "no new process";
        return outcome;
    }
    if (child == 0) {
        dup2(channel[1], STDOUT_FILENO);
        dup2(channel[1], STDERR_FILENO);
        close(channel[0]);
        close(channel[1]);
        for (const auto& variable : env) setenv(variable.first.c_str(), variable.second.c_str(), 1);
        const char* argv[] = {self, filter.c_str(), "--gtest_also_run_disabled_tests", nullptr};
        execv(self, const_cast<char* const*>(argv));
        _exit(127);
    }
    close(channel[1]);
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(channel[0], buffer, sizeof buffer);
        if (got > 0) {
            outcome.output.append(buffer, (size_t)got);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    close(channel[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

}  // namespace detail

// Runs the test `test` ("Suite.DISABLED_Name") of this program in a new process with the
// variables of `env` set, and waits for it to end. The leak checker's tracer sometimes crashes
// after a passed test (a fault of the sanitizer, not of the game): then the phase runs once
// more with the leak check off, as the test runner does for whole programs.
inline Outcome RunPhase(const std::string& test, std::vector<std::pair<std::string, std::string>> env)
{
    Outcome outcome = detail::Run(test, env);
    if (outcome.status != 0 && outcome.output.find("LeakSanitizer has encountered a fatal error") != std::string::npos &&
        outcome.output.find("[  PASSED  ]") != std::string::npos) {
        const char* options = getenv("ASAN_OPTIONS");
        env.emplace_back("ASAN_OPTIONS", std::string(options && *options ? std::string(options) + ":" : "") +
                                             "detect_leaks=0");
        outcome = detail::Run(test, env);
    }
    return outcome;
}

// The value of a variable the first phase handed over; empty when this test was not started
// as a second phase (a run of every disabled test by hand).
inline std::string HandedOver(const char* name)
{
    const char* value = getenv(name);
    return value ? value : "";
}

}  // namespace newprocess
