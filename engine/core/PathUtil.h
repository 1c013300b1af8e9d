#pragma once
// Path operations on CP932 names. Both "\" and "/" separate folders, so that
// names stored by the Windows-era tools ("PRINT\仕入れ.tvf") work; every scan
// steps over double-byte characters (whose second byte may be 0x5C).
#include <string>
#include <string_view>

namespace nv {

// The file-system path (UTF-8, "/" separators) for a CP932 name.
std::string ToFsPath(std::string_view cp932);
// The CP932 name for a file-system path ('?' for what CP932 lacks).
std::string FromFsPath(std::string_view fsPath);

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
// 0 when the file opens for reading; -1 not found (file or path); -2 other.
int ProbeFile(std::string_view path);
// Searches a ";"-separated folder list (an empty entry is "."). 0 found
// (out = the path that opened), -1 not found, -2 another failure.
int FindFileOnPathList(std::string& out, std::string_view list, std::string_view name, bool byFileName);
// Creates an empty file folder/prefix<n>.ext with the first free n >= first.
// 0 created (out = its name), -3 bad folder, -2 creation failed.
int MakeUniqueFileName(std::string& out, std::string_view folder, std::string_view prefix,
                       std::string_view extension, long first, bool allowSystem);
// "" stays "" (0). An existing folder gets a trailing separator (0); a
// missing one gives -3.
int NormaliseFolder(std::string& out, std::string_view folder, bool allowSystem);
// 1 for a root: "/", a drive root "X:\", a share "\\server\share[\]".
int IsRootPath(std::string_view path);
// Creates a new empty file: 0, or -2 when it exists or cannot be made.
int CreateNewFile(std::string_view path);

// Copies a whole file in 32 KiB blocks until the end of the source. File
// errors throw CFileException; a half-written destination is removed.
void CopyFileContents(const std::string& destination, const std::string& source);

} // namespace nv
