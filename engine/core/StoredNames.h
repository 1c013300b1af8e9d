#pragma once
// Names stored in form archives and report documents. Existing files hold
// these bytes: never change them.

namespace nv {

// Class records.
inline constexpr char kClassCChangeData[] = "CChangeData";
inline constexpr char kClassTvObject[] = "TvObject";
inline constexpr char kClassTvFedObject[] = "TvFedObject";
inline constexpr char kClassTvFormInfo[] = "TvFormInfo";
inline constexpr char kClassTvFontDesc[] = "TvFontDesc";
inline constexpr char kClassTvLayer[] = "TvLayer";
inline constexpr char kClassTvText[] = "TvText";
inline constexpr char kClassTvData[] = "TvData";
inline constexpr char kClassTvTextField[] = "TvTextField";
inline constexpr char kClassTvList[] = "TvList";
inline constexpr char kClassTvGraphic[] = "TvGraphic";
inline constexpr char kClassTvLine[] = "TvLine";
inline constexpr char kClassTvBox[] = "TvBox";
inline constexpr char kClassTvCircle[] = "TvCircle";
inline constexpr char kClassTvArc[] = "TvArc";
inline constexpr char kClassTvPolygon[] = "TvPolygon";
inline constexpr char kClassTvImage[] = "TvImage";
inline constexpr char kClassTvImageField[] = "TvImageField";
inline constexpr char kClassTvOle[] = "TvOle";
inline constexpr char kClassTvOleItem[] = "TvOleItem";
inline constexpr char kClassTvBarcode[] = "TvBarcode";

// The form version string (string 30007) every stored form begins with.
inline constexpr char kFormVersionString[] = "Tavelo Ver7.1 Ardel Systems";

} // namespace nv
