#pragma once
#include <QString>

#include <memory>

class QSettings;

namespace nv::viewer {

// The display options kept between runs.
struct ViewerOptions {
    int printMode = 0;   // paper mode for new views, 0..3
    int wakusen = 0;     // outline the page's own paper
    int headOffSet = 0;  // shade the printer's unprintable margin
    QString logPath;
    int logMode = 0;
    int mainViewMax = 0;
    int childViewMax = 0;

    // Missing values take their defaults; a paper mode outside 0..3 reads as 0.
    static ViewerOptions Load(QSettings& settings);
    void Save(QSettings& settings) const;

    // The user's options file (INI).
    static std::unique_ptr<QSettings> OpenSettings();
};

} // namespace nv::viewer
