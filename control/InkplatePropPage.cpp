#include "control/InkplatePropPage.h"

#include "control/CInkplateCtrl.h"
#include "engine/core/EngineLog.h"
#include "platform/automation/Status.h"
#include "platform/ui/Prompt.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace nv {

namespace {

struct FolderField {
    const char* property;
    const char* label;
    const char* title;
};

constexpr std::array<FolderField, 4> kFolders = {{
    {"FormPath", "ﾌｫｰﾑﾌｧｲﾙ格納ﾃﾞｨﾚｸﾄﾘ", "ﾌｫｰﾑﾌｧｲﾙ格納ﾃﾞｨﾚｸﾘの指定"},
    {"ImagePath", "ｲﾒｰｼﾞﾌｧｲﾙ格納ﾃﾞｨﾚｸﾄﾘ", "ｲﾒｰｼﾞﾌｧｲﾙ格納ﾃﾞｨﾚｸﾘの指定"},
    {"DocumentPath", "ﾄﾞｷｭﾒﾝﾄﾌｧｲﾙ格納ﾃﾞｨﾚｸﾄﾘ", "ﾄﾞｷｭﾒﾝﾄﾌｧｲﾙ格納ﾃﾞｨﾚｸﾘの指定"},
    {"WorkPath", "作業ﾃﾞｨﾚｸﾄﾘ", "作業ﾃﾞｨﾚｸﾘの指定"},
}};

constexpr std::array<const char*, 7> kUnits = {
    "0 - tvlUnitMm (1mm単位)",          "1 - tvlUnitMm100 (1/100mm単位)", "2 - tvlUnitPoint10 (1/10ﾎﾟｲﾝﾄ単位)",
    "3 - tvlUnitInch100 (1/100ｲﾝﾁ単位)", "4 - tvlUnitTwip (Twip単位)",      "5 - tvlUnitCpi10 (1/10CPI単位)",
    "6 - tvlUnitLpi10 (1/10LPI単位)",
};

} // namespace

CInkplatePropPage::CInkplatePropPage(CInkplateCtrl& ctrl, QWidget* parent) : QDialog(parent), m_ctrl(ctrl)
{
    setWindowTitle(QStringLiteral("全般"));
    auto* grid = new QGridLayout;
    const std::array<std::string, 4> values = {ctrl.GetFormPath(), ctrl.GetImagePath(), ctrl.GetDocumentPath(),
                                               ctrl.GetWorkPath()};
    for (int i = 0; i < 4; ++i) {
        const FolderField& f = kFolders[static_cast<size_t>(i)];
        auto* edit = new QLineEdit(QString::fromStdString(values[static_cast<size_t>(i)]));
        edit->setObjectName(QString::fromLatin1(f.property));
        auto* browse = new QPushButton(QStringLiteral("参照"));
        browse->setObjectName(QString::fromLatin1(f.property) + QStringLiteral("Browse"));
        connect(browse, &QPushButton::clicked, this, [this, i] { Browse(i); });
        grid->addWidget(new QLabel(QString::fromUtf8(f.label)), i, 0);
        grid->addWidget(edit, i, 1);
        grid->addWidget(browse, i, 2);
        m_folders[static_cast<size_t>(i)] = edit;
    }
    m_unit = new QComboBox;
    m_unit->setObjectName(QStringLiteral("Unit"));
    for (const char* u : kUnits) m_unit->addItem(QString::fromUtf8(u));
    m_unit->setCurrentIndex(ctrl.GetUnit());
    grid->addWidget(new QLabel(QStringLiteral("単位指定")), 4, 0);
    grid->addWidget(m_unit, 4, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

void CInkplatePropPage::Browse(int index)
{
    ui::FolderRequest r;
    r.title = QString::fromUtf8(kFolders[static_cast<size_t>(index)].title);
    r.proposed = m_folders[static_cast<size_t>(index)]->text();
    r.parent = this;
    if (auto chosen = ui::CurrentPrompt().ChooseFolder(r)) m_folders[static_cast<size_t>(index)]->setText(*chosen);
}

void CInkplatePropPage::accept()
{
    try {
        if (m_unit->currentIndex() >= 0) m_ctrl.SetUnit(m_unit->currentIndex());
    } catch (const AutomationError& e) {
        // The page stays open on the unit refused, and says why.
        LogLine("Inkplate", "単位を変えられません: " + e.Description());
        ui::Warn(QString::fromStdString(e.Description()), this);
        return;
    }
    m_ctrl.SetFormPath(m_folders[0]->text().toStdString());
    m_ctrl.SetImagePath(m_folders[1]->text().toStdString());
    m_ctrl.SetDocumentPath(m_folders[2]->text().toStdString());
    m_ctrl.SetWorkPath(m_folders[3]->text().toStdString());
    QDialog::accept();
}

} // namespace nv
