#pragma once
// A child process (child/CrashChild.cpp) that holds a workspace at a chosen
// point, as a second window of the tool would, until it is killed. The
// parent learns that it holds from the child's output, so nothing waits on
// a clock.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/crash/CrashSteps.h"

namespace crashtest {

class HoldingChild {
public:
    // Runs QA_CRASH_CHILD workspace app mode "hold:<point>" and waits until
    // it holds or has ended.
    HoldingChild(const char* program, const std::filesystem::path& workspace, const std::filesystem::path& app,
                 const std::string& mode, const std::string& point) {
        int in[2], out[2];
        // Closed on exec: no other child of the test keeps them open.
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
        const std::string file = workspace.string(), appDir = app.string(), stop = "hold:" + point;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            for (int fd : {in[0], in[1], out[0], out[1]}) ::close(fd);
            const char* args[] = {program, file.c_str(), appDir.c_str(), mode.c_str(), stop.c_str(), nullptr};
            ::execv(program, const_cast<char* const*>(args));
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        m_input = in[1];
        // A child stuck on the way never says so: the test goes on without
        // it (and fails) rather than waiting for the suite's timeout.
        std::string said;
        char c;
        pollfd ready{out[0], POLLIN, 0};
        while (::poll(&ready, 1, kSayWithinMs) == 1 && ::read(out[0], &c, 1) == 1 && c != '\n') said += c;
        ::close(out[0]);
        m_holding = said == kHeld;
    }
    ~HoldingChild() { Kill(); }
    HoldingChild(const HoldingChild&) = delete;
    HoldingChild& operator=(const HoldingChild&) = delete;

    bool Holding() const { return m_holding; }

    // Kills it as SIGKILL does (no handler, nothing closed) and waits for
    // it; true when the kill ended it.
    bool Kill() {
        if (m_pid <= 0) return false;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        ::close(m_input);
        m_pid = -1;
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

private:
    static constexpr int kSayWithinMs = 60000;
    pid_t m_pid = -1;
    int m_input = -1;
    bool m_holding = false;
};

}  // namespace crashtest
