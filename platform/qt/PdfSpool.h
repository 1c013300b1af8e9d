#pragma once
// A PDF is written into a file of its own beside its target and takes the
// target's name only when the file on disk is whole: a failed job, or a
// write cut short by a full disk, leaves an older file of the name as it
// was and nothing half-written. The spool (".<name>.nivalo-spool-<pid>-XXXXXX",
// hidden) is locked while its job runs; SIGTERM and SIGINT remove it as a
// cancel does, and one left by a process that died otherwise is removed at
// the next print into its folder. A file of any other name is never taken
// for a spool.
#include <QString>

namespace nv {

class PdfSpool {
public:
    PdfSpool() = default;
    ~PdfSpool() { Drop(); }
    PdfSpool(const PdfSpool&) = delete;
    PdfSpool& operator=(const PdfSpool&) = delete;

    // Makes the spool file beside target, after removing the spools of dead
    // jobs there; false when the folder cannot take it, or target is there
    // but is no regular file this user may replace.
    bool Reserve(const QString& target);
    // Where the printer writes; empty before Reserve.
    const QString& Path() const { return spool_; }
    // Flushes the spool to disk, checks that it ends as a PDF does, and
    // renames it over the target. False, with the spool gone, otherwise.
    bool Commit();
    void Drop();

    // Removes from `folder` the spools of PDF files
    // (".<name>.pdf.nivalo-spool-<pid>-XXXXXX") of this user whose job no
    // longer runs; an empty one only after a
    // minute, as a job just starting may not have locked it yet. Returns
    // how many went.
    static int RemoveStaleSpools(const QString& folder);

private:
    void Release();

    QString target_;
    QString spool_;
    int mode_ = 0;
    int lockFd_ = -1; // holds the spool's lock while the job runs
    int slot_ = -1;   // where a signal finds the spool to remove
};

// Whether the file at path is on disk (fsync) and ends with a trailer whose
// cross-reference offset lies inside the file.
bool PdfFileIsWhole(const QString& path);

} // namespace nv
