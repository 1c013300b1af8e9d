#pragma once
// Command ids shared by menus, bars, dialogs and views. Each has one QAction
// whose object name is "cmd" followed by the id.
namespace nv::viewer::cmd {

constexpr int kPageSetup = 32771;
constexpr int kZoomBox = 32773;
constexpr int kDocumentInfo = 32776;
constexpr int kOptions = 32777;
constexpr int kFind = 32779;
constexpr int kFirstPage = 32782;
constexpr int kPrevPage = 32783;
constexpr int kNextPage = 32784;
constexpr int kLastPage = 32785;
constexpr int kAnyZoom = 32794;
constexpr int kFitHeight = 32795;
constexpr int kFitWidth = 32796;
constexpr int kFitPage = 32797;
constexpr int kJumpPage = 32804;
constexpr int kTreePane = 11001;
constexpr int kFileOpen = 57601;
constexpr int kFileClose = 57602;
constexpr int kPrintSetup = 57606;
constexpr int kPrint = 57607;
constexpr int kPrintDirect = 57608;
constexpr int kAbout = 57664;
constexpr int kExit = 57665;

} // namespace nv::viewer::cmd
