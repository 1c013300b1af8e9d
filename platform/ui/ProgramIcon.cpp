#include "platform/ui/ProgramIcon.h"

#include <QFile>

namespace nv::ui {

QIcon ProgramIcon(const QString& name)
{
    QIcon icon;
    for (int size : kProgramIconSizes) {
        const QString file = QStringLiteral(":/%1/images/%1-%2.png").arg(name).arg(size);
        if (QFile::exists(file)) icon.addFile(file, QSize(size, size));
    }
    return icon;
}

} // namespace nv::ui
