#pragma once
// A PDF is written into a file of its own beside its target and takes the
// target's name only when the file on disk is whole and ends as a PDF does:
// a failed job, or a write cut short by a full disk, leaves an older file of
// the name as it was and nothing half-written. The file beside is the one
// FileReplacement makes, and its leftovers go as that writer's do.
#include "platform/core/FileReplacement.h"

#include <QString>

namespace nv {

class PdfSpool {
public:
    PdfSpool() = default;
    ~PdfSpool() { Drop(); }
    PdfSpool(const PdfSpool&) = delete;
    PdfSpool& operator=(const PdfSpool&) = delete;

    // Makes the spool file beside target; false when the folder cannot take
    // it, or target is there but is no regular file this user may replace.
    bool Reserve(const QString& target);
    // Where the printer writes; empty before Reserve.
    const QString& Path() const { return spool_; }
    // Flushes the spool to disk, checks that it ends as a PDF does, and
    // renames it over the target. False, with the spool gone, otherwise.
    bool Commit();
    void Drop();
    // The printer failed to write the spool: finds and logs the system's
    // cause, and drops it.
    void Abandon();
    // Why Reserve or Commit failed, naming the file, with the system's cause
    // in the user's words; empty when neither did.
    QString FailureText() const;

    // Removes from `folder` what dead jobs left (RemoveReplacementLeftovers).
    static int RemoveStaleSpools(const QString& folder);

private:
    FileReplacement file_;
    QString spool_;
};

// Whether the file at path is on disk (fsync) and ends with a trailer whose
// cross-reference offset lies inside the file.
bool PdfFileIsWhole(const QString& path);

} // namespace nv
