// Defines a function SQLite defines, while linking SQLite and calling it
// for something else: what the symbol test must find.
#include <sqlite3.h>

extern "C" __attribute__((visibility("default"))) const char* sqlite3_libversion() { return sqlite3_sourceid(); }
