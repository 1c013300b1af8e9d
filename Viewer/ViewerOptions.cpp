#include "Viewer/ViewerOptions.h"

#include "Viewer/OptionKeys.h"

#include <QSettings>

namespace nv::viewer {

namespace {
int ReadInt(QSettings& s, const char* key)
{
    bool ok = false;
    const int v = s.value(key, 0).toInt(&ok);
    return ok ? v : 0;
}
} // namespace

ViewerOptions ViewerOptions::Load(QSettings& settings)
{
    ViewerOptions o;
    settings.beginGroup(keys::kGroup);
    o.printMode = ReadInt(settings, keys::kPrintMode);
    // Any other value would leave a view without a paper to show.
    if (o.printMode < 0 || o.printMode > 3) o.printMode = 0;
    o.wakusen = ReadInt(settings, keys::kWakusen);
    o.headOffSet = ReadInt(settings, keys::kHeadOffSet);
    o.logPath = settings.value(keys::kLogPath, QString()).toString();
    o.logMode = ReadInt(settings, keys::kLogMode);
    o.mainViewMax = ReadInt(settings, keys::kMainViewMax);
    o.childViewMax = ReadInt(settings, keys::kChildViewMax);
    settings.endGroup();
    return o;
}

void ViewerOptions::Save(QSettings& settings) const
{
    settings.beginGroup(keys::kGroup);
    settings.setValue(keys::kPrintMode, printMode);
    settings.setValue(keys::kWakusen, wakusen);
    settings.setValue(keys::kHeadOffSet, headOffSet);
    settings.setValue(keys::kChildViewMax, childViewMax);
    settings.setValue(keys::kMainViewMax, mainViewMax);
    settings.setValue(keys::kLogPath, logPath);
    settings.setValue(keys::kLogMode, logMode);
    settings.endGroup();
}

std::unique_ptr<QSettings> ViewerOptions::OpenSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, keys::kOrganisation,
                                       keys::kApplication);
}

} // namespace nv::viewer
