#pragma once
// Why a file or folder could not be used, in the user's words: the system's
// own texts are English and never reach a person.
#include <string>

namespace nv {

// The cause of a failed file operation (an errno value). With the path, a
// missing file is told from a missing folder.
std::string FileErrorText(int err, const std::string& path = {});

// What stands at path when it is not a regular file ("フォルダです",
// "名前付きパイプです", ...); empty for a regular file or nothing at all.
std::string NotAFileText(const std::string& path);

// Makes folder and every missing folder above it, each new one private to
// its owner (0700): a person's books are theirs. A folder already there is
// left as it is. Returns an empty text, or why the folder cannot be used,
// naming it.
std::string MakePrivateFolder(const std::string& folder);

// A step where a test may stop a run, as a crash would: the handler a test
// set runs there (and throws to stop). Without one, as in every program,
// nothing happens.
using FaultHandler = void (*)(const char* step);
void SetFaultHandler(FaultHandler handler);
void FaultPoint(const char* step);

} // namespace nv
