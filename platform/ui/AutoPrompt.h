#pragma once
#include "platform/ui/Prompt.h"

namespace nv::ui {

// Answers everything with its default and says so on stderr, one line each,
// so programs run unattended (NIVALO_PROMPTS=auto).
class AutoPrompt : public Prompt {
public:
    Answer ask(const Message& m) override;
    std::optional<QString> chooseFile(const FileRequest& r) override;
    std::optional<QString> chooseFolder(const FolderRequest& r) override;
    std::optional<QString> choosePrinter(const PrinterRequest& r) override;
};

// The default each chooser takes when nobody is there.
std::optional<QString> defaultChoice(const FileRequest& r);
std::optional<QString> defaultChoice(const FolderRequest& r);
std::optional<QString> defaultChoice(const PrinterRequest& r);

} // namespace nv::ui
