#pragma once
// What a library using the engine reports back, as a plug-in would use it.
#include <cstddef>

extern "C" {

struct EngineUserReport {
    const void* registry;    // the class registry it sees
    const void* tempFiles;   // the temporary-file manager it sees
    const void* measurer;    // the text layout's default measurer it sees
    int roundTrip;           // 1 when a form stored and read back the same
    int textWidth;           // laid-out width of a short text, layout units
    char tempFile[1024];     // a temporary file it made
};

// Registers the model classes, round-trips a form, lays out a text and makes
// a temporary file in `folder`. 1 on success.
typedef int (*EngineUserRun)(const char* folder, EngineUserReport* report);
}
