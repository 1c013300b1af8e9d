#pragma once
#include <string>

namespace nv {

// A status bar with numbered panels (1-based), as the forms have.
class StatusBarPanels {
public:
    virtual ~StatusBarPanels() = default;
    virtual void SetPanelText(int panel, const std::string& text) = 0;
};

// Sets the text of the first panel.
inline void gsStatusText(StatusBarPanels& statusBar, const std::string& text)
{
    statusBar.SetPanelText(1, text);
}

} // namespace nv
