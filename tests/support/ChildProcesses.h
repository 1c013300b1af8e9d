#pragma once
// The processes a process started (from /proc), for tests that end or look
// into what a program under test ran.
#include <sys/types.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace nvtest {

inline std::vector<pid_t> ChildProcesses(pid_t parent)
{
    std::vector<pid_t> children;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string name = e.path().filename();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(e.path() / "stat");
        std::string line;
        std::getline(stat, line);
        // "pid (command) state ppid ...": the command may hold blanks and parentheses.
        const size_t close = line.rfind(')');
        if (close == std::string::npos || close + 2 > line.size()) continue;
        std::istringstream rest(line.substr(close + 2));
        std::string state;
        long ppid = 0;
        if (rest >> state >> ppid && ppid == long(parent)) children.push_back(pid_t(std::stol(name)));
    }
    return children;
}

} // namespace nvtest
