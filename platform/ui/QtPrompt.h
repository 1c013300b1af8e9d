#pragma once
#include "platform/ui/Prompt.h"

namespace nv::ui {

// Real dialogs, modal to the given or the active window.
class QtPrompt : public Prompt {
public:
    Answer ask(const Message& m) override;
    std::optional<QString> chooseFile(const FileRequest& r) override;
    std::optional<QString> chooseFolder(const FolderRequest& r) override;
    std::optional<QString> choosePrinter(const PrinterRequest& r) override;
    std::optional<PrinterSetupChoice> choosePrinterSetup(const PrinterSetupRequest& r) override;
    std::optional<PrintJobChoice> choosePrintJob(const PrintJobRequest& r) override;
};

} // namespace nv::ui
