#pragma once
#include "platform/ui/Prompt.h"

namespace nv::ui {

// Real dialogs, modal to the given or the active window.
class QtPrompt : public Prompt {
public:
    Answer Ask(const Message& m) override;
    std::optional<QString> ChooseFile(const FileRequest& r) override;
    std::optional<QString> ChooseFolder(const FolderRequest& r) override;
    std::optional<QString> ChoosePrinter(const PrinterRequest& r) override;
    std::optional<PrinterSetupChoice> ChoosePrinterSetup(const PrinterSetupRequest& r) override;
    std::optional<PrintJobChoice> ChoosePrintJob(const PrintJobRequest& r) override;
};

} // namespace nv::ui
