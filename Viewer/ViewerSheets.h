#pragma once
// The option sheet and the read-only document information sheet.
#include <QDialog>

#include <cstdint>

#include "Viewer/ViewerOptions.h"

class QButtonGroup;
class QCheckBox;
class QTabWidget;

namespace nv::viewer {

class OptionSheet : public QDialog {
    Q_OBJECT
public:
    explicit OptionSheet(const ViewerOptions& options, QWidget* parent = nullptr);
    // The edited options; the print-log values come back as they went in.
    ViewerOptions Result() const;
    QTabWidget* Tabs() const { return tabs_; }

private:
    ViewerOptions options_;
    QTabWidget* tabs_;
    QButtonGroup* paperMode_;
    QCheckBox* wakusen_;
    QCheckBox* headOffSet_;
    QCheckBox* mainViewMax_;
    QCheckBox* childViewMax_;
};

struct DocumentFacts {
    QString path;
    QString name;
    uint32_t version = 0;
    uint64_t created = 0;   // FILETIME, UTC
    uint32_t packed = 0;
    uint32_t secret = 0;
    int pageCount = 0;
    int currentPage = 1;
};

class DocumentInfoSheet : public QDialog {
    Q_OBJECT
public:
    explicit DocumentInfoSheet(const DocumentFacts& facts, QWidget* parent = nullptr);
    QTabWidget* Tabs() const { return tabs_; }

    // "2026/12/9  9: 5: 3" in local time; empty for a time before 1970.
    static QString CreatedText(uint64_t fileTime);

private:
    QTabWidget* tabs_;
};

} // namespace nv::viewer
