#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/temp_dir.h"

// What a finished program left behind.
struct ProcessResult {
    int m_exitCode = -1;
    std::string m_stdout;
    std::string m_stderr;
    long m_peakMemoryKb = 0;  // the most memory it ever held; 0 when unknown
};

// A program started by a test, its standard output and error going to
// files so that neither side can block on a full pipe.
class ChildProcess {
public:
    // Starts program with args; the program is looked up beside the test.
    ChildProcess(const std::string& program, const std::vector<std::string>& args);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // What the program has written to standard output so far.
    std::string OutputSoFar() const;
#ifndef _WIN32
    // Sends the signal (under Wine a console's Ctrl+C does not reach a started program).
    void Interrupt(int signal);
#endif
    // Ends it at once, as a crash or a power cut would: SIGKILL, or
    // TerminateProcess on Windows.
    void Kill();
    // Waits for the end; the exit status, or 128 + signal when killed.
    ProcessResult Wait();

private:
    // The platform's part of Wait: the exit status and the peak memory.
    ProcessResult WaitForExit();

    struct Os;
    TempDir m_outputDir;
    std::unique_ptr<Os> m_os;
};

// The path of a program built into the test's own folder.
std::string ProgramBesideTest(const std::string& program);
