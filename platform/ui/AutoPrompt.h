#pragma once
#include "platform/ui/Prompt.h"

namespace nv::ui {

// Answers everything with its default and says so on stderr, one line each,
// so programs run unattended (NIVALO_PROMPTS=auto).
class AutoPrompt : public Prompt {
public:
    Answer Ask(const Message& m) override;
    std::optional<QString> ChooseFile(const FileRequest& r) override;
    std::optional<QString> ChooseFolder(const FolderRequest& r) override;
    std::optional<QString> ChoosePrinter(const PrinterRequest& r) override;
    bool Attended() const override { return false; }
};

// The default each chooser takes when nobody is there.
std::optional<QString> DefaultChoice(const FileRequest& r);
std::optional<QString> DefaultChoice(const FolderRequest& r);
std::optional<QString> DefaultChoice(const PrinterRequest& r);

} // namespace nv::ui
