#include "support/child_process.h"

std::string ChildProcess::OutputSoFar() const {
    return ReadBytes(m_outputDir.Path("stdout"));
}

ProcessResult ChildProcess::Wait() {
    ProcessResult result = WaitForExit();
    result.m_stdout = OutputSoFar();
    result.m_stderr = ReadBytes(m_outputDir.Path("stderr"));
    return result;
}
