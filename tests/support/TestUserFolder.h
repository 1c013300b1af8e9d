#pragma once
// Every test program keeps its locks, logs and work files in a per-user
// folder of its own, made when the program loads and removed at its end, so
// that no test writes into the real one under the home folder. Programs the
// tests start still use the real one.
#include <string>

namespace nvtest {

// The program's per-user folder, to go back to after a test moved it.
const std::string& TestUserFolder();

} // namespace nvtest
