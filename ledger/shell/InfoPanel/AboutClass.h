#pragma once
// "InfoPanel.aboutClass": the version box of the package.
#include "platform/automation/Automation.h"

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;

namespace nv {

struct AboutInfo {
    QString title;
    int major = 0, minor = 0, revision = 0;
    QString description, copyright, trademarks;
};

struct Registration {
    QString owner;
    QString organization;
};

// The component's own build settings.
AboutInfo DefaultAboutInfo();
// Owner and organisation from the package's settings (organisation "Ardel",
// application "Nivalo"); without an owner there, the account's full name or
// login.
Registration ReadRegistration();
// "Version 2.6" for revision 0, else "Version 2.6.2".
QString VersionText(int major, int minor, int revision);
// The system report behind "システム情報(&S)...".
QString SystemReport();

// The box `About`: filled from info and reg when made.
class AboutForm : public QDialog {
    Q_OBJECT
public:
    AboutForm(const AboutInfo& info, const Registration& reg, QWidget* parent = nullptr);
    void cmdAction_Click(int index);

private:
    QPushButton* action_[2] = {};
};

inline const MemberInfo kAboutClassMembers[] = {
    {1, "fcFrmOp", DISPATCH_METHOD, VT_VARIANT, nullptr, nullptr, {{{"indexMenu0", VT_I2, nullptr, PARAM_BYREF}}}},
};
inline const InterfaceInfo kAboutClassInterface{"_aboutClass", nullptr, nullptr, kAboutClassMembers};

class AboutClass : public DispatchObject<AboutClass> {
public:
    AboutClass() : DispatchObject(kAboutClassInterface) {}
    static void BindMembers(Binder& b);
    // Shows the box modally; "Aboutロードエラー" when it could not be made.
    Variant fcFrmOp(int16_t indexMenu0);

    // Tests replace where the texts come from (null: the defaults).
    static void SetSources(std::function<AboutInfo()> info, std::function<Registration()> reg);
};

} // namespace nv
