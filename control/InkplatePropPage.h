#pragma once
// The property page "全般": the four folders and the unit.
#include <QDialog>

#include <array>

class QComboBox;
class QLineEdit;

namespace nv {

class CInkplateCtrl;

class CInkplatePropPage : public QDialog {
    Q_OBJECT
public:
    explicit CInkplatePropPage(CInkplateCtrl& ctrl, QWidget* parent = nullptr);

    // FormPath, ImagePath, DocumentPath, WorkPath.
    QLineEdit* Folder(int index) const { return m_folders[static_cast<size_t>(index)]; }
    QComboBox* UnitList() const { return m_unit; }

    void accept() override;

private:
    void Browse(int index);

    CInkplateCtrl& m_ctrl;
    std::array<QLineEdit*, 4> m_folders{};
    QComboBox* m_unit = nullptr;
};

} // namespace nv
