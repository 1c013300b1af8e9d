#pragma once
// Fails one write, flush or rename of the files in one folder, counted in
// the order the process makes them, whoever makes them (this program's
// writers, SQLite, Qt's PDF writer): the test program's own definitions of
// these system calls stand before the C library's.
#include <string>

namespace nvtest {

enum class WriteStep { Write, Flush, Rename };

// From now on the nth step of that kind on a file in folder fails as a full
// disk (ENOSPC), a failing disk (EIO) or a refused rename (EACCES) would.
void FailNthStep(const std::string& folder, WriteStep step, int nth);
// Stops failing; true when the step was reached and failed.
bool StopFailing();
int FailedStepErrno(WriteStep step);
bool FailsHere(WriteStep step, int fd, const char* path);

} // namespace nvtest
