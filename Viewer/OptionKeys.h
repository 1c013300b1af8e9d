#pragma once
// Where the viewer keeps its options. INI keys are case-sensitive, and
// "ChildVIewMax" is spelt as the files already out there spell it: reader and
// writer take the names from here only.
namespace nv::viewer::keys {

inline constexpr const char* kOrganisation = "Ardel/Tavelo/7.0";
inline constexpr const char* kApplication = "Pagelook";
inline constexpr const char* kGroup = "Option";
inline constexpr const char* kPrintMode = "PrintMode";
inline constexpr const char* kWakusen = "Wakusen";
inline constexpr const char* kHeadOffSet = "HeadOffSet";
inline constexpr const char* kLogPath = "LogPath";
inline constexpr const char* kLogMode = "LogMode";
inline constexpr const char* kMainViewMax = "MainViewMax";
inline constexpr const char* kChildViewMax = "ChildVIewMax";

} // namespace nv::viewer::keys
