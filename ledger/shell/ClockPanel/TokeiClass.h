#pragma once
// "ClockPanel.tokeiClass" and its modeless window F1_時計. The window is one
// per process: fcEnd on any object closes the one that is open.
#include "ledger/shell/ClockPanel/Wave.h"
#include "platform/automation/Automation.h"

#include <QDate>
#include <QPointer>
#include <QWidget>

#include <array>

class QLabel;
class QTimer;

namespace nv {

inline const MemberInfo kTokeiClassMembers[] = {
    {1, "fcFrmOp", DISPATCH_METHOD, VT_VARIANT, nullptr, nullptr, {{{"fgSAMPLE", VT_I2, nullptr, PARAM_BYREF}}}},
    {2, "fcEnd", DISPATCH_METHOD, VT_VARIANT},
    {3, "gfWeekday", DISPATCH_METHOD, VT_VARIANT, nullptr, nullptr, {{{"inum", VT_VARIANT, nullptr, PARAM_BYREF}}}},
    {4, "gfc4DigitYear", DISPATCH_METHOD, VT_BSTR, nullptr, nullptr, {{{"agdtDate", VT_DATE, nullptr, PARAM_BYREF}}}},
    {5, "gsbClockEvent", DISPATCH_METHOD, VT_EMPTY},
};
inline const InterfaceInfo kTokeiClassInterface{"_tokeiClass", nullptr, nullptr, kTokeiClassMembers};

class ClockForm;

class TokeiClass : public DispatchObject<TokeiClass> {
public:
    TokeiClass() : DispatchObject(kTokeiClassInterface) {}
    static void BindMembers(Binder& b);

    Variant fcFrmOp(int16_t fgSAMPLE);
    Variant fcEnd();
    static Variant gfWeekday(const Variant& inum);
    // "yyyy年M月d日".
    static std::string gfc4DigitYear(const QDate& day);
    // One minute of the window.
    void gsbClockEvent();
    // The open window, if any.
    static ClockForm* Window();

private:
    int32_t minutes_ = 0;
    int16_t picture_ = 0;
};

class ClockForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kImages = 17;
    ClockForm();
    ~ClockForm() override;

    // The minute tick, as the timer gives it.
    void Tick();
    void WaveTick();

    QLabel* Image(int array, int index) const { return images_[size_t(array - 1)][size_t(index)]; }
    TokeiClass& Owner() const { return *own_; }

private:
    friend class TokeiClass;
    class Strip;

    Ref<TokeiClass> own_;
    QLabel* label2_ = nullptr;
    QLabel* label3_ = nullptr;
    QLabel* lbClock_ = nullptr;
    QLabel* lbClock2_ = nullptr;
    std::array<std::array<QLabel*, kImages>, 4> images_{};
    Strip* strip_ = nullptr;
    Wave wave_;
    QTimer* tmClock_ = nullptr;
    QTimer* timer1_ = nullptr;
};

} // namespace nv
