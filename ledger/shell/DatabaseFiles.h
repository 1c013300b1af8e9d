#pragma once
// The menu's file work: the first copies of the empty database and of the
// settings file, and the backup copy at exit.
#include "ledger/common/MonthFunctions.h"

#include <span>
#include <stdexcept>
#include <string>

namespace nv {

inline constexpr const char* kLedgerTemplateName = "空の補助簿DB.MDB";

// The template's bytes compiled into the program, for a machine without the
// package's share folder.
std::span<const unsigned char> BuiltInLedgerTemplate();

class DatabaseFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Copies the template (the file found by FindResourcePath, else the built-in
// bytes) to target through a temporary file. An existing target is never
// replaced: returns false and leaves it alone. Throws DatabaseFileError.
bool CreateDatabaseFromTemplate(const std::string& target);

// Writes the shipped company.w1 (found by FindResourcePath), else the
// default settings, to target, readable by the user only, with the fiscal
// year that runs today. Never replaces an existing target: returns false.
// Throws DatabaseFileError.
bool CreateSettingsFile(const std::string& target, const LineDate& today);

// Copies the database source to target (both made absolute against folder)
// through SQLite's backup into a temporary file renamed over target, so an
// older backup stays whole when the copy fails. Refuses target = source.
// Throws DatabaseFileError naming the file.
void BackupDatabase(const std::string& folder, const std::string& source, const std::string& target);

} // namespace nv
