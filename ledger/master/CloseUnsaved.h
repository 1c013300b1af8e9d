#pragma once
// The question whether a screen whose edits could not be saved may close
// without them. A person decides (the default keeps the window and its
// edits); with nobody to answer (NIVALO_PROMPTS=auto) the window would wait
// for ever, so it closes with the stored data as it was, and why goes to the
// log.
#include <QString>

class QWidget;

namespace nv {

// cause: why the save failed, for the log.
bool MayCloseWithoutSaving(const QString& question, const QString& cause, QWidget* screen);

} // namespace nv
