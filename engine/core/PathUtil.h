#pragma once
// Two kinds of names. Names stored inside files are CP932 with the Windows
// rules: both "\" and "/" separate folders ("PRINT\仕入れ.tvf"), drive
// letters and share roots are recognised, and every scan steps over
// double-byte characters (whose second byte may be 0x5C). Paths of files on
// this machine are native (UTF-8, "/" only); a stored name becomes one
// through StoredNameToPath, once, where it meets the file system.
#include <string>
#include <string_view>

namespace nv {

// The native path for a stored CP932 name. A name that does not convert
// throws CFileException badPath naming it: no file is ever opened under a
// mangled name.
std::string StoredNameToPath(std::string_view stored);
// The native path text in the CP932 of messages, for showing only.
std::string PathForMessage(std::string_view path);

// --- Stored (CP932) names ---

// True when the character at pos is a folder separator.
bool IsSeparatorAt(std::string_view path, size_t pos);
// Byte offset just after the last separator (or ':' when none and `colon`),
// or npos when there is none.
size_t LastSeparator(std::string_view path, bool colon);
// The file part: the text after the last separator (or drive colon).
std::string FilePart(std::string_view path);
// True for "X:" at the start (a Windows drive, which never exists here).
bool HasDriveLetter(std::string_view path);

// _splitpath: drive ("X:"), folder (with its trailing separator), file name,
// extension (with its dot). Null outputs are skipped.
void SplitPath(std::string_view path, std::string* drive, std::string* folder, std::string* name,
               std::string* ext);

// 1 when the first character is a separator or the second is ':'.
int IsAbsolutePath(std::string_view path);
// folder + name ("/" inserted unless the folder ends in a separator or ':');
// the name alone when the folder is empty or the name absolute.
void JoinPath(std::string& out, std::string_view folder, std::string_view name);
// 1 for a name that can only be a Windows one: a drive, a share, or rooted
// at "\".
int IsWindowsAbsolutePath(std::string_view stored);
// Looks for a stored (picture) name along a native folder list. A Windows
// absolute name cannot exist here, so its file part is looked for instead,
// as it is for a native absolute name that does not exist; a name that does
// not convert throws (see StoredNameToPath). Results as FindFileOnPathList.
int FindStoredFile(std::string& out, std::string_view list, std::string_view stored);
// 1 for a root: a drive root "X:\", a share "\\server\share[\]", or a
// native path naming "/".
int IsRootPath(std::string_view path);

// --- Native paths ---

// 0 when the file opens for reading; -1 not found (file or path); -2 other,
// with the reason (CP932) in `why` when given.
int ProbeFile(std::string_view path, std::string* why = nullptr);
// Searches a ";"-separated folder list (an empty entry is "."). An absolute
// name is probed where it is; when missing and `byFileName`, its file part
// is searched for. 0 found (out = the path that opened), -1 not found, -2
// another failure (out = the path that failed, to say why).
int FindFileOnPathList(std::string& out, std::string_view list, std::string_view name, bool byFileName);
// Creates an empty file folder/prefix<n>.ext with the first free n >= first.
// 0 created (out = its name), -3 bad folder, -2 creation failed.
int MakeUniqueFileName(std::string& out, std::string_view folder, std::string_view prefix,
                       std::string_view extension, long first, bool allowSystem);
// "" stays "" (0). An existing folder gets a trailing separator (0); a
// missing one gives -3.
int NormaliseFolder(std::string& out, std::string_view folder, bool allowSystem);
// Creates a new empty file: 0, or -2 when it exists or cannot be made.
int CreateNewFile(std::string_view path);

// Copies a whole file in 32 KiB blocks until the end of the source. File
// errors throw CFileException; a half-written destination is removed.
void CopyFileContents(const std::string& destination, const std::string& source);

} // namespace nv
