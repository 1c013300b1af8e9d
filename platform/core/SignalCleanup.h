#pragma once
// What a process ended by SIGTERM or SIGINT must still do: remove its work
// files and unfinished output, as a normal exit or a cancel would. One list
// per process, shared by the engine and the platform layers.
namespace nv {

// Runs inside a signal handler: system calls only (unlink, close, ...),
// nothing that allocates or locks.
using SignalCleanup = void (*)();

// Adds `cleanup` (once; at most eight) to what runs before the signal's
// default action ends the process, and installs the handler where the host
// left the default (a host with handlers of its own cleans up through its
// own exit). False when the list is full.
bool AddSignalCleanup(SignalCleanup cleanup);

} // namespace nv
