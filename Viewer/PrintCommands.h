#pragma once

namespace nv::viewer {

class PagelookView;
struct AppPrinter;

// Print (57607: printer, range and copies chosen) and direct print (57608:
// the application's printer) of the view's flagged pages, with a progress
// dialog to cancel.
void PrintView(PagelookView& view, bool direct, const AppPrinter& printer);

} // namespace nv::viewer
