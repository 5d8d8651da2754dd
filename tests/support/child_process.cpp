#include "support/child_process.h"

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args) {
    return ChildProcess(program, args).Wait();
}
