#pragma once
// Paper sizes of one printer: looked up in the printer's own paper list and,
// when missing, registered as a custom form "Tavelo Form <n>" so that the
// printer offers it. Registration is serialised across processes by the
// named lock "Tavelo AddForm".
#include "platform/print/PrintSpooler.h"
#include "platform/print/StandardPapers.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nv {

class TvPaperForms {
public:
    static constexpr const char* kFormPrefix = "Tavelo Form ";
    static constexpr const char* kLockName = "Tavelo AddForm";
    static constexpr uint32_t kLockTimeoutMs = 180000;

    // AddForm results.
    static constexpr int kAdded = 1;
    static constexpr int kNameExists = -1;
    static constexpr int kSpoolerFailed = -2;
    static constexpr int kNoLock = -3; // also: registered but not offered by the printer
    static constexpr int kPrinterNotOpened = -4;
    static constexpr int kFormListNotRead = -5;
    static constexpr int kAccessDenied = -6;

    // The spooler defaults to the machine's (CUPS); tests pass their own.
    TvPaperForms(std::string deviceName, std::string portName, PrintSpooler* spooler = nullptr);

    // Number of papers, or -1 when a query fails or the lists differ in length.
    int GetPaperLists(std::vector<std::string>* names, std::vector<int16_t>* ids,
                      std::vector<PaperExtent>* sizes) const;
    // 1 and the paper's id and size when a paper has exactly that name, else 0.
    int FindPaperByName(int16_t* id, PaperExtent* size, const std::string& name) const;
    // 1 and the size and name of the paper with that id, else 0.
    int FindPaperById(PaperExtent* size, std::string* name, int16_t id) const;
    // 1 and the first paper of exactly that size (tenths of a millimetre), else 0.
    int FindPaperBySize(int16_t* id, std::string* name, PaperExtent size) const;
    // 1 when the size (tenths of a millimetre) lies within the printer's
    // extents; an extent the printer does not give is no limit.
    int CheckExtent(PaperExtent size) const;

    // 0 when a paper of the size is listed or was registered, with its id,
    // size in tenths of a millimetre and name; else a negative AddForm code.
    // The size is in tenths of a millimetre with the flag, else in document
    // units.
    int FindOrAddForm(int16_t* id, PaperExtent* outSize, std::string& formName, PaperExtent size,
                      bool sizeInTenths);
    // Registers a custom form under the next free "Tavelo Form <n>" name,
    // given back in formName; codes above.
    int AddForm(std::string& formName, PaperExtent size, bool sizeInTenths);
    // Removes a custom form; failures are silent.
    void DeleteForm(const std::string& formName);

    const std::string& DeviceName() const { return device_; }
    const std::string& PortName() const { return port_; }

    // How long registration waits for the lock; shortened only by tests.
    void SetLockTimeout(uint32_t ms) { lockTimeoutMs_ = ms; }

    // The number for the next form given the numbers of the existing ones.
    static int NextFormNumber(const std::vector<int>& used);

private:
    std::string device_;
    std::string port_;
    PrintSpooler* spooler_;
    uint32_t lockTimeoutMs_ = kLockTimeoutMs;
};

} // namespace nv
