#pragma once

namespace nv {

// Registers every class that form archives and report documents may hold,
// so that archives can create them by name. Idempotent and thread-safe; call
// it before reading any archive.
void RegisterModelClasses();

} // namespace nv
