#pragma once
// A PDF is written into a file of its own beside its target and takes the
// target's name only when the file on disk is whole: a failed job, or a
// write cut short by a full disk, leaves an older file of the name as it
// was and nothing half-written.
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

private:
    QString target_;
    QString spool_;
    int mode_ = 0;
};

// Whether the file at path is on disk (fsync) and ends with a trailer whose
// cross-reference offset lies inside the file.
bool PdfFileIsWhole(const QString& path);

} // namespace nv
