#pragma once
// The custom paper forms registered on this machine, kept in one small file
// for the user (CUPS keeps no named forms of its own). Callers serialise
// changes with the "Tavelo AddForm" lock; each change rewrites the file
// through a temporary file and a rename, so a reader never sees half of it.
#include "platform/print/PrintSpooler.h"

#include <optional>
#include <string>
#include <vector>

namespace nv {

struct RegisteredForm {
    FormInfo1 form;
    int16_t paperId = 0; // from DMPAPER_USER + 1 upwards
};

class FormRegistry {
public:
    explicit FormRegistry(std::string path);

    // $XDG_CONFIG_HOME (or ~/.config) /Ardel/Tavelo/paper-forms.
    static std::string DefaultPath();

    const std::string& Path() const { return path_; }

    // The registered forms; empty when the file does not exist yet, nullopt
    // when it exists but cannot be read. Lines that do not parse are skipped.
    std::optional<std::vector<RegisteredForm>> Load() const;
    // FileExists when a form of that name (letter case aside) is there.
    SpoolStatus Add(const FormInfo1& form);
    // NotFound when no form has the name.
    SpoolStatus Remove(const std::string& name);

private:
    SpoolStatus Save(const std::vector<RegisteredForm>& forms);
    std::string path_;
};

// ASCII letter case aside, as form names compare.
bool FormNamesEqual(const std::string& a, const std::string& b);

} // namespace nv
