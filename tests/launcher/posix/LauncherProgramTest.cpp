// Runs the built KR-V___ program from a temporary directory, as EmuVOLA would
// start it from its own directory.

#include "tests/launcher/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <csignal>
#include <filesystem>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

#ifndef KRV_PROGRAM_PATH
#error "KRV_PROGRAM_PATH must name the built launcher"
#endif

namespace {

struct Outcome {
    std::optional<int> exitCode; // nothing when it did not end in time
    std::chrono::milliseconds elapsed;
};

// Runs `program` with `args` and exactly the environment `env`, stderr sent to
// `errFile`; kills it after `limit`.
Outcome runProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& env, const std::filesystem::path& errFile,
                   std::chrono::seconds limit = std::chrono::seconds(10))
{
    std::vector<char*> argv;
    std::vector<std::string> argStore = args;
    argStore.insert(argStore.begin(), program);
    for (auto& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStore = env;
    std::vector<char*> envp;
    for (auto& e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return {std::nullopt, {}};

    int status = 0;
    while (std::chrono::steady_clock::now() - start < limit) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start);
            return {WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status)) : std::optional<int>(-1), elapsed};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return {std::nullopt, limit};
}

std::vector<std::string> offscreenEnv()
{
    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen"};
    for (const char* keep : {"PATH", "HOME", "LANG", "XDG_RUNTIME_DIR"})
        if (const char* v = std::getenv(keep))
            env.push_back(std::string(keep) + "=" + v);
    return env;
}

class LauncherProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(m_dir.path() / "bin");
        std::filesystem::create_symlink(KRV_PROGRAM_PATH, m_program);
    }

    TempDir m_dir;
    const std::filesystem::path m_program = m_dir.path() / "bin" / "KR-V___";
    const std::filesystem::path m_err = m_dir.path() / "stderr.txt";
};

} // namespace

TEST_F(LauncherProgram, WritesTheSessionFileBesideItselfAndEnds)
{
    const Outcome outcome = runProgram(m_program.string(), {"192.0.2.5", "23", "Seoul1"}, offscreenEnv(), m_err);
    ASSERT_EQ(outcome.exitCode, 0) << readText(m_err);
    EXPECT_GE(outcome.elapsed.count(), 1400);
    const std::filesystem::path file = m_dir.path() / "bin" / "ANSeoul1-콘솔포트-192.0.2.5-원격감시.ht";
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(std::filesystem::file_size(file), 1294u);
}

TEST_F(LauncherProgram, WithoutADisplaySaysSoInOneLine)
{
    const Outcome outcome = runProgram(m_program.string(), {"192.0.2.5", "23", "Seoul1"}, {}, m_err);
    ASSERT_EQ(outcome.exitCode, 1);
    const std::string err = readText(m_err);
    EXPECT_NE(err.find("no display"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    EXPECT_EQ(TempDir::entriesOf(m_dir.path() / "bin"), std::vector<std::string>{"KR-V___"});
}
