#pragma once
// What a library carrying its own copy of the engine reports back, as a
// plug-in would carry one.
#include <cstddef>

extern "C" {

struct EngineCopyReport {
    const void* registry;    // this copy's class registry
    const void* tempFiles;   // this copy's temporary-file manager
    int roundTrip;           // 1 when a form stored and read back the same
    char tempFile[1024];     // a temporary file this copy made and keeps
};

// Registers the model classes, round-trips a form and makes a temporary file
// in `folder`. 1 on success.
typedef int (*EngineCopyRun)(const char* folder, EngineCopyReport* report);
}
