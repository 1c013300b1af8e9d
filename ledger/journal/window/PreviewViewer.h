#pragma once
// The document viewer started for a preview: found beside the program, else
// on PATH ($NIVALO_PAGELOOK names another program, for tests), given the
// document's absolute path, and waited for in an event loop while the
// window stays disabled but keeps repainting.
#include <QString>

#include <functional>

class QWidget;

namespace nv {

inline constexpr const char* kViewerProgram = "pagelook";
inline constexpr const char* kViewerStartFailed = "プレビューを表示できません。ビューア pagelook を起動できませんでした。";

// The viewer to start: the override when set, then $NIVALO_PAGELOOK, then
// pagelook beside the program, then on PATH; empty when none is found.
QString ViewerProgramPath(const QString& override = {});

// Starts the viewer on document and returns when it has ended. started runs
// once it is running. A viewer that cannot start gives a message (false).
bool RunViewer(const QString& program, const QString& document, QWidget* window,
               const std::function<void()>& started = {});

} // namespace nv
