#include "control/CXPrinter.h"

#include "control/CInkplateCtrl.h"
#include "control/CXForm.h"
#include "control/CXPrinters.h"
#include "control/ControlErrors.h"
#include "control/ControlText.h"
#include "control/Converters.h"
#include "control/typelib/TvlEnums.h"
#include "control/typelib/TvlError.h"
#include "engine/core/EngineLog.h"
#include "engine/format/UnitTable.h"
#include "engine/model/TvFedObject.h"
#include "engine/printer/DevModeTracker.h"
#include "engine/printer/TvPaperForms.h"
#include "platform/core/Cp932.h"
#include "platform/qt/PrinterByName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdint>

#include <fcntl.h>
#include <unistd.h>

namespace nv {

namespace {

struct NumberMember {
    int32_t member;
    uint16_t prop;
    uint32_t dmBit;
};

constexpr NumberMember kNumbers[] = {
    {CXPrinter::kOrientation, propPrnOrientation, DM_ORIENTATION},
    {CXPrinter::kPaperSize, propPrnPaperSize, DM_PAPERSIZE},
    {CXPrinter::kPaperLength, propPrnPaperLength, DM_PAPERLENGTH},
    {CXPrinter::kPaperWidth, propPrnPaperWidth, DM_PAPERWIDTH},
    {CXPrinter::kPrintScale, propPrnScale, 0},
    {CXPrinter::kCopies, propPrnCopies, DM_COPIES},
    {CXPrinter::kPrintQuality, propPrnQuality, DM_PRINTQUALITY},
    {CXPrinter::kDuplex, propPrnDuplex, DM_DUPLEX},
    {CXPrinter::kColor, propPrnColor, DM_COLOR},
    {CXPrinter::kTTOption, propPrnTrueTypeOption, DM_TTOPTION},
    {CXPrinter::kCollate, propPrnCollate, DM_COLLATE},
    {CXPrinter::kYResolution, propPrnYResolution, DM_YRESOLUTION},
    {CXPrinter::kDefaultSource, propPrnDefaultSource, DM_DEFAULTSOURCE},
};

const NumberMember& FindNumber(int32_t member)
{
    for (const NumberMember& n : kNumbers)
        if (n.member == member) return n;
    ThrowControlError(kErrPropertyNotFound, 20003);
}

int32_t SettingOf(const TvPrinterSettings& s, uint16_t prop)
{
    switch (prop) {
    case propPrnOrientation: return s.m_nOrientation;
    case propPrnPaperSize: return s.m_nPaperSize;
    case propPrnPaperLength: return s.m_nPaperLength;
    case propPrnPaperWidth: return s.m_nPaperWidth;
    case propPrnScale: return s.m_nScale;
    case propPrnCopies: return s.m_nCopies;
    case propPrnQuality: return s.m_nPrintQuality;
    case propPrnColor: return s.m_nColor;
    case propPrnDuplex: return s.m_nDuplex;
    case propPrnYResolution: return s.m_nYResolution;
    case propPrnTrueTypeOption: return s.m_nTTOption;
    case propPrnCollate: return s.m_nCollate;
    case propPrnDefaultSource: return s.m_nDefaultSource;
    default: return 0;
    }
}

// Orientation and paper size are 32-bit in the settings record, the rest 16-bit.
bool IsLongSetting(uint16_t prop) { return prop == propPrnOrientation || prop == propPrnPaperSize; }

std::string ToCp932OrEmpty(const std::string& utf8) { return Utf8ToCp932(utf8).value_or(std::string()); }

} // namespace

CXPrinter::CXPrinter(CInkplateCtrl& ctrl, std::string name, bool isVirtual)
    : m_pCtrl(&ctrl), m_strName(std::move(name)), m_bVirtual(isVirtual)
{
}

CXPrinter::~CXPrinter() = default;

CInkplateCtrl& CXPrinter::Control() const
{
    if (!m_pCtrl) ThrowControlError(kErrDetached, kTextDetached);
    return *m_pCtrl;
}

std::string CXPrinter::GetDeviceName()
{
    Refresh();
    return m_strDriver;
}

void CXPrinter::Refresh()
{
    CInkplateCtrl& ctrl = Control();
    if (m_nLoadState != 0) return;
    std::optional<PrinterReading> reading;
    if (m_bVirtual || IsPdfPrinterName(QString::fromStdString(m_strName)))
        reading = PrinterReading{"PDF", m_bVirtual ? std::string() : m_strName.substr(4), PdfPrinterMode()};
    else
        reading = ctrl.Printers().Source().ReadPrinter(m_strName);
    if (!reading) ThrowControlError(kErrPrinter, kTextPrinterRead);

    m_strDriver = reading->driverName;
    m_strPort = reading->portName;
    if (!reading->mode) {
        m_nLoadState = -1;
        return;
    }
    const DevMode& d = *reading->mode;
    TvPrinterSettings& s = m_settings;
    s.m_strPrinterName = ToCp932OrEmpty(m_strName);
    s.m_strPortName = ToCp932OrEmpty(m_strPort);
    s.m_nOrientation = d.dmOrientation;
    s.m_nPaperSize = d.dmPaperSize;
    s.m_nPaperLength = d.dmPaperLength;
    s.m_nPaperWidth = d.dmPaperWidth;
    s.m_nScale = (d.dmFields & DM_SCALE) ? d.dmScale : int16_t(100);
    s.m_nCopies = d.dmCopies;
    s.m_nPrintQuality = d.dmPrintQuality;
    s.m_nColor = d.dmColor;
    s.m_nDuplex = d.dmDuplex;
    s.m_nYResolution = d.dmYResolution;
    s.m_nTTOption = d.dmTTOption;
    s.m_nCollate = d.dmCollate;
    s.m_strFormName = d.formName;
    s.m_nDefaultSource = d.dmDefaultSource;
    s.m_nFields = d.dmFields;
    s.m_nChangeMask = 0;
    m_devMode = d;
    m_nLoadState = 1;
}

const TvPrinterSettings& CXPrinter::Settings()
{
    Refresh();
    return m_settings;
}

void CXPrinter::CopyPendingChangesTo(TvEntryMap& target) const
{
    m_pending.ForEach([&](const TvEntryKey&, const TvChangeEntry& e) {
        if (!e.m_pData) return;
        TvObjectChanges changes(e.m_nObjectId);
        changes.m_changes.Add(std::make_unique<CChangeData>(*e.m_pData));
        target.MergeChanges(changes);
    });
}

void CXPrinter::Forget()
{
    m_pending.RemoveAll();
    if (m_nLoadState != 0) {
        m_devMode.reset();
        m_settings.m_nChangeMask = 0;
        m_nLoadState = 0;
    }
}

bool CXPrinter::CheckOn() const
{
    return (Control().GetFlags() & CInkplateCtrl::tvlFlagsPrinterCheck) != 0;
}

void CXPrinter::Check(uint32_t dmBits) const
{
    if (dmBits != 0 && CheckOn() && (m_settings.m_nFields & dmBits) != dmBits)
        ThrowControlError(kErrPrinter, kTextNotSupported);
}

void CXPrinter::Record(uint16_t propId, int32_t value)
{
    TvPropertyMap map;
    TvObjectChanges changes(0);
    if (IsLongSetting(propId)) {
        map.SetLong(propId, value);
        changes.m_changes.Add(std::make_unique<CChangeData>(propId, value));
    } else {
        map.SetShort(propId, int16_t(value));
        changes.m_changes.Add(std::make_unique<CChangeData>(propId, int16_t(value)));
    }
    m_settings.SetProperties(map, nullptr);
    m_pending.MergeChanges(changes);
}

void CXPrinter::RecordName(const std::string& cp932)
{
    m_settings.SetProperties(TvPropertyMap(propPrnFormName, TvPropValue::String(cp932)), nullptr);
    TvObjectChanges changes(0);
    changes.m_changes.Add(CChangeData::FromString(propPrnFormName, cp932));
    m_pending.MergeChanges(changes);
}

void CXPrinter::RecordNumberedPaperName(const std::string& cp932)
{
    // Pages carry the recorded name on until it is recorded again, and
    // readers look a page's paper up by name first: a number without a
    // paper of its own (a user size) records the empty name, or the name of
    // an earlier paper would go on naming this one.
    RecordName(cp932);
    m_settings.m_nChangeMask &= ~TvPrinterSettings::MaskBit(propPrnFormName);
}

TvPaperForms CXPrinter::PaperForms() const
{
    // The stand-in writes PDF files too: the spooler knows it by the bare prefix.
    const std::string device = m_bVirtual ? std::string("pdf:") : Utf8ToCp932Lossy(m_strName);
    return TvPaperForms(device, Utf8ToCp932Lossy(m_strPort), &Control().Printers().Source().Spooler());
}

int32_t CXPrinter::GetNumber(int32_t member)
{
    const NumberMember& n = FindNumber(member);
    Refresh();
    Check(n.dmBit);
    const int32_t v = SettingOf(m_settings, n.prop);
    if (member == kOrientation) return OrientationFromDevMode(v);
    if (member == kPaperLength || member == kPaperWidth)
        return ConvertUnits(Control().GetEngineUnit(), v, UNIT_DECIMM);
    return v;
}

void CXPrinter::SetNumber(int32_t member, int32_t value)
{
    const NumberMember& n = FindNumber(member);
    Refresh();
    Check(n.dmBit);
    if (member == kPaperLength || member == kPaperWidth) {
        value = ConvertUnits(UNIT_DECIMM, value, Control().GetEngineUnit());
        // Held in 16 bits: a paper longer than 3 m cannot be set up.
        if (value < 0 || value > INT16_MAX) ThrowControlError(kErrInvalidProperty, 20040);
    }
    Record(n.prop, value);
    if (member != kPaperSize) return;

    PaperExtent size;
    std::string name;
    if (PaperForms().FindPaperById(&size, &name, int16_t(value))) {
        Record(propPrnPaperWidth, size.width);
        Record(propPrnPaperLength, size.length);
        RecordNumberedPaperName(name);
        return;
    }
    RecordNumberedPaperName({});
    if (CheckOn() && Control().GetOutput() != tvlOutputDocument && value != DMPAPER_USER)
        ThrowControlError(kErrPrinter, kTextNotSupported);
}

std::string CXPrinter::GetPaperName()
{
    Refresh();
    if (!(m_settings.m_nFields & DM_PAPERSIZE)) Check(DM_PAPERLENGTH | DM_PAPERWIDTH);
    return Cp932ToUtf8(m_settings.m_strFormName);
}

void CXPrinter::SetPaperName(const std::string& utf8)
{
    Refresh();
    if (!(m_settings.m_nFields & DM_PAPERSIZE)) Check(DM_PAPERLENGTH | DM_PAPERWIDTH);
    const std::string name = HostTextToEngine(utf8, "PaperName");
    RecordName(name);
    int16_t id = 0;
    PaperExtent size;
    if (PaperForms().FindPaperByName(&id, &size, name)) {
        Record(propPrnPaperSize, id);
        Record(propPrnPaperWidth, size.width);
        Record(propPrnPaperLength, size.length);
    } else if (CheckOn() && Control().GetOutput() != tvlOutputDocument) {
        ThrowControlError(kErrPrinter, kTextNotSupported);
    }
}

bool CXPrinter::PaperFits(int32_t code, int32_t width, int32_t length) const
{
    const TvPaperForms forms = PaperForms();
    PaperExtent size;
    std::string name;
    int16_t id = 0;
    if (code != DMPAPER_USER && forms.FindPaperById(&size, &name, int16_t(code))) return true;
    if (forms.FindPaperBySize(&id, &name, {width, length})) return true;
    PrintSpooler& spooler = Control().Printers().Source().Spooler();
    const auto max = spooler.MaxExtent(forms.DeviceName(), forms.PortName());
    const auto min = spooler.MinExtent(forms.DeviceName(), forms.PortName());
    const uint32_t f = m_settings.m_nFields;
    if (f & DM_PAPERWIDTH) {
        if ((max && width > max->width) || (min && width < min->width)) return false;
    }
    if (f & DM_PAPERLENGTH) {
        if ((max && length > max->length) || (min && length < min->length)) return false;
    }
    return true;
}

int32_t CXPrinter::SetFormSize(CXForm& form)
{
    CInkplateCtrl& ctrl = Control();
    if (!form.IsOpen() || &form.Ctrl() != &ctrl) ThrowControlError(kErrInvalidProperty, kTextInvalidObject);
    const TvFormInfo& info = form.Root().EnsureFormInfo();
    int32_t width = InternalToUnit(info.m_nPaperWidth, UNIT_DECIMM, true);
    int32_t length = InternalToUnit(info.m_nPaperLength, UNIT_DECIMM, true);
    Refresh();

    const bool toDocument = ctrl.GetOutput() == tvlOutputDocument;
    const uint32_t fields = m_settings.m_nFields;
    const bool orientationDone = (fields & DM_ORIENTATION) || toDocument;
    if (orientationDone) Record(propPrnOrientation, info.m_nOrientation);

    int32_t result = tvlNoError;
    int32_t code = FormPaperCode(info.m_nPaperSize);
    bool paperDone = false;
    if ((fields & DM_PAPERSIZE) || toDocument) {
        std::string name;
        if (code == DMPAPER_USER && !toDocument) {
            int16_t id = 0;
            PaperExtent found;
            const int r = PaperForms().FindOrAddForm(&id, &found, name, {width, length}, true);
            if (r == TvPaperForms::kAccessDenied) result = tvlErrAddFormDenied;
            else if (r < 0) result = tvlErrPrinterControl;
            else {
                code = id;
                width = found.width;
                length = found.length;
            }
            if (r < 0) name.clear();
        } else if (!PaperForms().FindPaperById(nullptr, &name, int16_t(code))) {
            name.clear();
        }
        Record(propPrnPaperSize, code);
        RecordNumberedPaperName(name);
        paperDone = orientationDone;
    }
    Record(propPrnPaperLength, length);
    Record(propPrnPaperWidth, width);

    if (paperDone) {
        if (!toDocument && result != tvlErrAddFormDenied && !PaperFits(code, width, length))
            result = tvlErrPaperSize;
    } else if (!toDocument) {
        result = tvlErrPrinterControl;
    }
    return result;
}

void CXPrinter::FillMode(DevMode& mode, const TvPrinterSettings& source, bool pageSettings)
{
    const uint32_t f = mode.dmFields;
    if (f & DM_ORIENTATION) mode.dmOrientation = int16_t(source.m_nOrientation);
    int32_t code = source.m_nPaperSize;
    int16_t width = source.m_nPaperWidth;
    int16_t length = source.m_nPaperLength;
    if (code == DMPAPER_USER) {
        int16_t id = 0;
        PaperExtent found;
        std::string name;
        if (PaperForms().FindOrAddForm(&id, &found, name, {width, length}, true) == 0) {
            code = id;
            width = int16_t(found.width);
            length = int16_t(found.length);
        }
    }
    if (f & DM_PAPERSIZE) mode.dmPaperSize = int16_t(code);
    if ((f & DM_PAPERLENGTH) || source.m_nPaperSize == DMPAPER_USER) mode.dmPaperLength = length;
    if ((f & DM_PAPERWIDTH) || source.m_nPaperSize == DMPAPER_USER) mode.dmPaperWidth = width;
    // Scale stays 100: the page drawing already applies the job's scale,
    // and the device scaling as well would apply it twice.
    mode.dmScale = 100;
    if (pageSettings) return;
    if (f & DM_COPIES) mode.dmCopies = source.m_nCopies;
    if (f & DM_DEFAULTSOURCE) mode.dmDefaultSource = source.m_nDefaultSource;
    if (f & DM_PRINTQUALITY) mode.dmPrintQuality = source.m_nPrintQuality;
    if (f & DM_COLOR) mode.dmColor = source.m_nColor;
    if (f & DM_DUPLEX) mode.dmDuplex = source.m_nDuplex;
    if (f & DM_YRESOLUTION) mode.dmYResolution = source.m_nYResolution;
    if (f & DM_TTOPTION) mode.dmTTOption = source.m_nTTOption;
    if (f & DM_COLLATE) mode.dmCollate = source.m_nCollate;
}

bool CXPrinter::EnsureMode()
{
    if (!m_devMode) {
        try {
            Refresh();
        } catch (const AutomationError& e) {
            LogLine("CXPrinter", "プリンタ " + m_strName + " の設定を読めません: " + e.Description());
            return false;
        }
    }
    return m_devMode.has_value();
}

DevMode CXPrinter::CurrentDevMode()
{
    if (!EnsureMode()) return DevMode{};
    DevMode mode = *m_devMode;
    FillMode(mode, m_settings, false);
    return mode;
}

void CXPrinter::ApplyDevMode(PrinterModeTarget& target, const TvPrinterSettings* pageSettings)
{
    if (!EnsureMode()) return;
    FillMode(*m_devMode, pageSettings ? *pageSettings : m_settings, pageSettings != nullptr);
    if (m_pTracker) {
        m_pTracker->ResetDCIfChanged(target, *m_devMode);
    } else if (!target.ResetDC(*m_devMode)) {
        target.ResetDC(*m_devMode);
    }
}

void CXPrinter::BeginJob()
{
    if (m_pTracker) m_pTracker->Reset();
    else m_pTracker = std::make_unique<DevModeTracker>();
}

int16_t CXPrinter::PrintScale()
{
    Refresh();
    return m_settings.m_nScale;
}

std::string CXPrinter::JobPrinterName(bool* reserved)
{
    if (reserved) *reserved = false;
    if (!m_bVirtual) return m_strName;
    std::string folder = HostPath(Control().GetDocumentPath());
    if (const size_t semi = folder.find(';'); semi != std::string::npos) folder.resize(semi);
    const QDir dir(QString::fromStdString(folder.empty() ? std::string(".") : folder));
    QString path;
    // The name is taken by an empty file at once: another program printing
    // into the folder at the same moment takes the next one.
    for (int n = 1;; ++n) {
        path = dir.absoluteFilePath(QStringLiteral("Tvprint%1.pdf").arg(n));
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            if (reserved) *reserved = true;
            break;
        }
        // A folder that takes no file: the job's start says why.
        if (errno != EEXIST) break;
    }
    return PdfPrinterName(path).toStdString();
}

} // namespace nv
