#pragma once

namespace nv::viewer {

class PagelookView;

// Print (57607: the printer chosen) and direct print (57608: the default
// printer) of the view's flagged pages, with a progress dialog to cancel.
void PrintView(PagelookView& view, bool direct);

} // namespace nv::viewer
