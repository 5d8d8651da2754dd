#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>

#include "support/child_process.h"

extern char** environ;

struct ChildProcess::Os {
    pid_t m_pid = -1;
    bool m_waited = false;
};

std::string ProgramBesideTest(const std::string& program) {
    return std::filesystem::read_symlink("/proc/self/exe").replace_filename(program).string();
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args)
    : m_os(std::make_unique<Os>()) {
    const std::string path = ProgramBesideTest(program);
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const std::string out = m_outputDir.Path("stdout");
    const std::string err = m_outputDir.Path("stderr");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int result =
        posix_spawn(&m_os->m_pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        throw std::runtime_error("cannot start " + path);
    }
}

ChildProcess::~ChildProcess() {
    if (!m_os->m_waited) {
        kill(m_os->m_pid, SIGKILL);
        waitpid(m_os->m_pid, nullptr, 0);
    }
}

void ChildProcess::Interrupt(int signal) {
    kill(m_os->m_pid, signal);
}

void ChildProcess::Kill() {
    kill(m_os->m_pid, SIGKILL);
}

ProcessResult ChildProcess::WaitForExit() {
    int status = 0;
    rusage usage{};
    while (wait4(m_os->m_pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    m_os->m_waited = true;
    ProcessResult result;
    result.m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.m_peakMemoryKb = usage.ru_maxrss;
    return result;
}
