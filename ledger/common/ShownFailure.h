#pragma once
// What a screen of the ledger shows of a failure it meets, its cause written
// to the log first. The text shown is the failure's own message for a
// person (a component's is its description); what only the log should hold
// (the database engine's English, a refused call of ours) goes to the log
// with the screen's name and never into a window.
#include <exception>
#include <string>
#include <string_view>

namespace nv {

std::string ShownFailure(std::string_view screen, const std::exception& e);

// Another program holds the books for longer than the wait: a reason to try
// again, not to keep them shut.
bool BooksBusy(const std::exception& e);

} // namespace nv
