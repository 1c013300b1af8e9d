#include "control/TypeLibrary.h"
#include "control/ControlErrors.h"

#include <cstdio>

namespace nv {

namespace {

// Member tables: position in the dispatch table is the id, Item 0,
// _NewEnum -4, AboutBox -552.
const MemberInfo kITaveloDrawMembers[] = {
    {1, "WorkPath", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BSTR, nullptr, "作業ﾃﾞｨﾚｸﾄﾘを指定します。"},
    {2, "ImagePath", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BSTR, nullptr, "ｲﾒｰｼﾞﾌｧｲﾙが格納されているﾃﾞｨﾚｸﾄﾘを指定します。"},
    {3, "FormPath", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BSTR, nullptr, "ﾌｫｰﾑﾌｧｲﾙが格納されているﾃﾞｨﾚｸﾄﾘを指定します。"},
    {4, "DocumentPath", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BSTR, nullptr, "ﾄﾞｷｭﾒﾝﾄﾌｧｲﾙを格納するﾃﾞｨﾚｸﾄﾘを指定します。"},
    {5, "hDC", DISPATCH_PROPERTYGET, VT_I4, nullptr, "ﾃﾞﾊﾞｲｽｺﾝﾃｷｽﾄ出力時の描画先ﾃﾞﾊﾞｲｽｺﾝﾃｷｽﾄを指定します。"},
    {6, "DocumentFileName", DISPATCH_PROPERTYGET, VT_BSTR, nullptr, "ﾄﾞｷｭﾒﾝﾄ出力時のﾌﾙﾊﾟｽのﾄﾞｷｭﾒﾝﾄﾌｧｲﾙ名が格納されています。"},
    {7, "Page", DISPATCH_PROPERTYGET, VT_I4, nullptr, "現在印刷中のﾍﾟｰｼﾞ番号が設定されています。"},
    {8, "Unit", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlUnit", "座標系の単位を指定します。"},
    {9, "DocumentName", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BSTR, nullptr, "ﾄﾞｷｭﾒﾝﾄ名を指定します。"},
    {10, "TvForms", DISPATCH_PROPERTYGET, VT_DISPATCH, "ITvForms", "現在ｵｰﾌﾟﾝしているﾌｫｰﾑのｺﾚｸｼｮﾝです。"},
    {11, "Output", DISPATCH_PROPERTYGET, VT_I4, "tvlOutput", "現在の出力ﾓｰﾄﾞが設定されています。"},
    {12, "Printer", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_DISPATCH, "ITvPrinter", nullptr},
    {13, "TvPrinters", DISPATCH_PROPERTYGET, VT_DISPATCH, "ITvPrinters", nullptr},
    {14, "OpenForm", DISPATCH_METHOD, VT_DISPATCH, "ITvForm", nullptr, {{{"FormFileName", VT_BSTR, nullptr}}}},
    {15, "StartDocument", DISPATCH_METHOD, VT_I4, nullptr, nullptr, {{{"DocumentFileName", VT_BSTR, nullptr}, {"DocumentName", VT_BSTR, nullptr}}}},
    {16, "EndDocument", DISPATCH_METHOD, VT_I4, nullptr, nullptr},
    {17, "AbortDocument", DISPATCH_METHOD, VT_I4, nullptr, nullptr},
    {18, "PrintDocument", DISPATCH_METHOD, VT_I4, nullptr, nullptr, {{{"DocumentFileName", VT_BSTR, nullptr}}}},
    {19, "StartPrinter", DISPATCH_METHOD, VT_I4, nullptr, nullptr, {{{"PrinterName", VT_BSTR, nullptr}, {"DocumentName", VT_BSTR, nullptr}}}},
    {20, "EndPrinter", DISPATCH_METHOD, VT_I4, nullptr, nullptr},
    {21, "SetOutputDC", DISPATCH_METHOD, VT_I4, nullptr, nullptr, {{{"hDC", VT_I4, nullptr}}}},
    {22, "AbortPrinter", DISPATCH_METHOD, VT_I4, nullptr, nullptr},
    {23, "Initialize", DISPATCH_METHOD, VT_I4, nullptr, nullptr},
    {24, "Flags", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlFlags", "ｵﾌﾟｼｮﾝを指定します。"},
    {-552, "AboutBox", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr},
};

const MemberInfo kITvFormsMembers[] = {
    {0, "Item", DISPATCH_PROPERTYGET, VT_DISPATCH, "ITvForm", nullptr, {{{"Index", VT_VARIANT, nullptr}}}},
    {1, "Count", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {-4, "_NewEnum", DISPATCH_PROPERTYGET, VT_UNKNOWN, nullptr, nullptr},
};

const MemberInfo kITvFormMembers[] = {
    {1, "TvLayers", DISPATCH_PROPERTYGET, VT_DISPATCH, "ITvLayers", nullptr},
    {2, "CreateTime", DISPATCH_PROPERTYGET, VT_DATE, nullptr, nullptr},
    {3, "UpdateTime", DISPATCH_PROPERTYGET, VT_DATE, nullptr, nullptr},
    {4, "UpdateRevision", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {5, "EditorVersion", DISPATCH_PROPERTYGET, VT_BSTR, nullptr, nullptr},
    {6, "Orientation", DISPATCH_PROPERTYGET, VT_I4, "tvlOrientation", nullptr},
    {7, "Name", DISPATCH_PROPERTYGET, VT_BSTR, nullptr, nullptr},
    {8, "TvObjects", DISPATCH_PROPERTYGET, VT_DISPATCH, "ITvObjects", nullptr},
    {9, "ActiveLayer", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_DISPATCH, "ITvLayer", nullptr},
    {10, "PaperSize", DISPATCH_PROPERTYGET, VT_I4, "tvlPaperSize", nullptr},
    {11, "PaperLength", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {12, "PaperWidth", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {13, "MarginTop", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {14, "MarginLeft", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {15, "MarginRight", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {16, "MarginBottom", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {17, "OffsetX", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {18, "OffsetY", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {19, "Author", DISPATCH_PROPERTYGET, VT_BSTR, nullptr, nullptr},
    {20, "Contents", DISPATCH_PROPERTYGET, VT_BSTR, nullptr, nullptr},
    {21, "KinsokuString", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BSTR, nullptr, nullptr},
    {22, "PrintOut", DISPATCH_METHOD, VT_I4, "tvlError", nullptr},
    {23, "ClearAllFields", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr},
    {24, "Close", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr},
    {25, "SetLine", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"LineStyle", VT_I4, "tvlLineStyle"}, {"LineWidth", VT_I4, nullptr}, {"LineColor", VT_I4, "OLE_COLOR"}}}},
    {26, "SetFillPattern", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"FillPattern", VT_I4, "tvlFillPattern"}, {"FillColor", VT_I4, "OLE_COLOR"}}}},
    {27, "SetBackColor", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"BackColor", VT_I4, "OLE_COLOR"}}}},
    {28, "SetTransparent", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"Transparent", VT_BOOL, nullptr}}}},
    {29, "SetDirection", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"Direction", VT_I4, "tvlDirection"}}}},
    {30, "SetFrame", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"Frame", VT_BOOL, nullptr}}}},
    {31, "SetHanFont", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"Width", VT_I4, nullptr}, {"Height", VT_I4, nullptr}, {"Pitch", VT_I4, nullptr}, {"FontName", VT_BSTR, nullptr}}}},
    {32, "SetZenFont", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"Width", VT_I4, nullptr}, {"Height", VT_I4, nullptr}, {"Pitch", VT_I4, nullptr}, {"FontName", VT_BSTR, nullptr}}}},
    {33, "SetFont", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"Width", VT_I4, nullptr}, {"Height", VT_I4, nullptr}, {"Pitch", VT_I4, nullptr}, {"FontName", VT_BSTR, nullptr}, {"Bold", VT_BOOL, nullptr}, {"Italic", VT_BOOL, nullptr}, {"DeleteLine", VT_I4, "tvlDecorateLine"}, {"UnderLine", VT_I4, "tvlDecorateLine"}}}},
    {34, "SetTextColor", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"TextColor", VT_I4, "OLE_COLOR"}, {"DeleteLineColor", VT_I4, "OLE_COLOR"}, {"UnderLineColor", VT_I4, "OLE_COLOR"}}}},
    {35, "SetTextAttribute", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"Index", VT_I4, nullptr}, {"Value", VT_VARIANT, nullptr}}}},
    {36, "SetBarcodeAttribute", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"Index", VT_I4, nullptr}, {"Value", VT_VARIANT, nullptr}}}},
    {37, "DrawTvBarcode", DISPATCH_METHOD, VT_BSTR, nullptr, nullptr, {{{"BarcodeType", VT_I4, nullptr}, {"StartX", VT_I4, nullptr}, {"StartY", VT_I4, nullptr}, {"Width", VT_I4, nullptr}, {"Height", VT_I4, nullptr}, {"Text", VT_BSTR, nullptr}}}},
    {38, "DrawTvBox", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"StartX", VT_I4, nullptr}, {"StartY", VT_I4, nullptr}, {"Width", VT_I4, nullptr}, {"Height", VT_I4, nullptr}, {"RoundSize", VT_I4, nullptr}}}},
    {39, "DrawTvCircle", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"CenterX", VT_I4, nullptr}, {"CenterY", VT_I4, nullptr}, {"RadiusX", VT_I4, nullptr}, {"RadiusY", VT_I4, nullptr}}}},
    {40, "DrawTvCircle2", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"StartX", VT_I4, nullptr}, {"StartY", VT_I4, nullptr}, {"Width", VT_I4, nullptr}, {"Height", VT_I4, nullptr}}}},
    {41, "DrawTvArc", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"ArcType", VT_I4, nullptr}, {"CenterX", VT_I4, nullptr}, {"CenterY", VT_I4, nullptr}, {"RadiusX", VT_I4, nullptr}, {"RadiusY", VT_I4, nullptr}, {"StartAngle", VT_I4, nullptr}, {"EndAngle", VT_I4, nullptr}}}},
    {42, "DrawTvArc2", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"ArcType", VT_I4, nullptr}, {"StartX", VT_I4, nullptr}, {"StartY", VT_I4, nullptr}, {"Width", VT_I4, nullptr}, {"Height", VT_I4, nullptr}, {"StartAngle", VT_I4, nullptr}, {"EndAngle", VT_I4, nullptr}}}},
    {43, "DrawTvImage", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"StartX", VT_I4, nullptr}, {"StartY", VT_I4, nullptr}, {"Width", VT_I4, nullptr}, {"Height", VT_I4, nullptr}, {"FileName", VT_BSTR, nullptr}}}},
    {44, "DrawTvLine", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"StartX", VT_I4, nullptr}, {"StartY", VT_I4, nullptr}, {"EndX", VT_I4, nullptr}, {"EndY", VT_I4, nullptr}}}},
    {45, "DrawTvText", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr, {{{"StartX", VT_I4, nullptr}, {"StartY", VT_I4, nullptr}, {"Width", VT_I4, nullptr}, {"Height", VT_I4, nullptr}, {"Text", VT_BSTR, nullptr}}}},
};

const MemberInfo kITvLayersMembers[] = {
    {0, "Item", DISPATCH_PROPERTYGET, VT_DISPATCH, "ITvLayer", nullptr, {{{"Index", VT_VARIANT, nullptr}}}},
    {1, "Count", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {-4, "_NewEnum", DISPATCH_PROPERTYGET, VT_UNKNOWN, nullptr, nullptr},
};

const MemberInfo kITvLayerMembers[] = {
    {1, "VisibleAtDesign", DISPATCH_PROPERTYGET, VT_BOOL, nullptr, nullptr},
    {2, "VisibleAtPrint", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BOOL, nullptr, nullptr},
    {3, "TransparentAtDesign", DISPATCH_PROPERTYGET, VT_BOOL, nullptr, nullptr},
    {4, "TransparentAtPrint", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BOOL, nullptr, nullptr},
    {5, "GridSpacingX", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {6, "GridSpacingY", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {7, "LayerMode", DISPATCH_PROPERTYGET, VT_I4, "tvlLayerMode", nullptr},
    {8, "BackColor", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "OLE_COLOR", nullptr},
    {9, "Name", DISPATCH_PROPERTYGET, VT_BSTR, nullptr, nullptr},
    {10, "TvObjects", DISPATCH_PROPERTYGET, VT_DISPATCH, "ITvObjects", nullptr},
    {11, "PrintDpiX", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {12, "PrintDpiY", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {13, "MoveTop", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr},
    {14, "MoveBottom", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr},
};

const MemberInfo kITvObjectsMembers[] = {
    {0, "Item", DISPATCH_PROPERTYGET, VT_DISPATCH, "ITvObject", nullptr, {{{"Index", VT_VARIANT, nullptr}}}},
    {1, "Count", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {-4, "_NewEnum", DISPATCH_PROPERTYGET, VT_UNKNOWN, nullptr, nullptr},
};

const MemberInfo kITvObjectMembers[] = {
    {1, "Name", DISPATCH_PROPERTYGET, VT_BSTR, nullptr, nullptr},
    {2, "Text", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BSTR, nullptr, nullptr},
    {3, "ObjectType", DISPATCH_PROPERTYGET, VT_I4, "tvlObjectType", nullptr},
    {4, "Visible", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BOOL, nullptr, nullptr},
    {5, "Transparent", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BOOL, nullptr, nullptr},
    {6, "BackColor", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "OLE_COLOR", nullptr},
    {7, "FillPattern", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlFillPattern", nullptr},
    {8, "FillColor", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "OLE_COLOR", nullptr},
    {9, "LineStyle", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlLineStyle", nullptr},
    {10, "LineWidth", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {11, "LineColor", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "OLE_COLOR", nullptr},
    {12, "StartX", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {13, "StartY", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {14, "EndX", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {15, "EndY", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {16, "Width", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {17, "Height", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {18, "RoundSize", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {19, "Frame", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BOOL, nullptr, nullptr},
    {20, "CenterX", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {21, "CenterY", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {22, "RadiusX", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {23, "RadiusY", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {24, "ArcType", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlArcType", nullptr},
    {25, "StartAngle", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {26, "EndAngle", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {27, "PolyType", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlPolyType", nullptr},
    {28, "PolyCount", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {29, "BarcodeType", DISPATCH_PROPERTYGET, VT_I4, "tvlBarcodeType", nullptr},
    {30, "CheckDigit", DISPATCH_PROPERTYGET, VT_BOOL, nullptr, nullptr},
    {31, "Direction", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlDirection", nullptr},
    {32, "Embed", DISPATCH_PROPERTYGET, VT_BOOL, nullptr, nullptr},
    {33, "FileName", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BSTR, nullptr, nullptr},
    {34, "Angle", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlAngle", nullptr},
    {35, "Alignment", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlAlignment", nullptr},
    {36, "Wordlap", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BOOL, nullptr, nullptr},
    {37, "Kinsoku", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BOOL, nullptr, nullptr},
    {38, "Format", DISPATCH_PROPERTYGET, VT_BSTR, nullptr, nullptr},
    {39, "ReplaceCharacter", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BSTR, nullptr, nullptr},
    {40, "ZenFontName", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BSTR, nullptr, nullptr},
    {41, "ZenFontHeight", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {42, "ZenFontWidth", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {43, "ZenCharacterPitch", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {44, "HanFontName", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BSTR, nullptr, nullptr},
    {45, "HanFontHeight", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {46, "HanFontWidth", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {47, "HanCharacterPitch", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {48, "Bold", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BOOL, nullptr, nullptr},
    {49, "Italic", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BOOL, nullptr, nullptr},
    {50, "DefaultPitch", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BOOL, nullptr, nullptr},
    {51, "LinePitch", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {52, "TextColor", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "OLE_COLOR", nullptr},
    {53, "Column", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {54, "Row", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {55, "ColumnWidth", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {56, "RowHeight", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {57, "MarginTop", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {58, "MarginBottom", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {59, "MarginLeft", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {60, "MarginRight", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {61, "AutoLineFeed", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BOOL, nullptr, nullptr},
    {62, "Reverse", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BOOL, nullptr, nullptr},
    {63, "CharacterRatio", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlCharacterRatio", nullptr},
    {64, "OleObject", DISPATCH_PROPERTYGET, VT_DISPATCH, nullptr, nullptr},
    {65, "FieldNumber", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {66, "AfterString", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BSTR, nullptr, nullptr},
    {67, "BeforeString", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BSTR, nullptr, nullptr},
    {68, "Comma", DISPATCH_PROPERTYGET, VT_BOOL, nullptr, nullptr},
    {69, "UnderLine", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlDecorateLine", nullptr},
    {70, "UnderLineColor", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "OLE_COLOR", nullptr},
    {71, "DeleteLine", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlDecorateLine", nullptr},
    {72, "DeleteLineColor", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "OLE_COLOR", nullptr},
    {73, "BarcodeColor", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "OLE_COLOR", nullptr},
    {74, "AdjustType", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlBarAdjust", nullptr},
    {75, "BarWidth", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {76, "BarAdjust", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {77, "StandardSize", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BOOL, nullptr, nullptr},
    {78, "ListColumns", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {79, "ListRows", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {80, "EndColumn", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {81, "EndRow", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {82, "MoveTop", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr},
    {83, "MoveBottom", DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr},
    {84, "BarSize", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr, {{{"Index", VT_I4, nullptr}}}},
    {85, "ListText", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BSTR, nullptr, nullptr, {{{"Column", VT_I4, nullptr}, {"Row", VT_I4, nullptr}}}},
};

const MemberInfo kITvPrintersMembers[] = {
    {0, "Item", DISPATCH_PROPERTYGET, VT_DISPATCH, "ITvPrinter", nullptr, {{{"Index", VT_VARIANT, nullptr}}}},
    {1, "Count", DISPATCH_PROPERTYGET, VT_I4, nullptr, nullptr},
    {-4, "_NewEnum", DISPATCH_PROPERTYGET, VT_UNKNOWN, nullptr, nullptr},
};

const MemberInfo kITvPrinterMembers[] = {
    {1, "PrinterName", DISPATCH_PROPERTYGET, VT_BSTR, nullptr, nullptr},
    {2, "DeviceName", DISPATCH_PROPERTYGET, VT_BSTR, nullptr, nullptr},
    {3, "Orientation", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlOrientation", nullptr},
    {4, "PaperSize", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlPaperSize", nullptr},
    {5, "PaperLength", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {6, "PaperWidth", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, nullptr, nullptr},
    {7, "PrintScale", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I2, nullptr, nullptr},
    {8, "Copies", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I2, nullptr, nullptr},
    {9, "PrintQuality", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I2, "tvlPrintQuality", nullptr},
    {10, "PaperName", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_BSTR, nullptr, nullptr},
    {11, "Duplex", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlDuplex", nullptr},
    {12, "Color", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlColor", nullptr},
    {13, "TTOption", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlTTOption", nullptr},
    {14, "Collate", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I4, "tvlCollate", nullptr},
    {15, "YResolution", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I2, nullptr, nullptr},
    {16, "SetFormSize", DISPATCH_METHOD, VT_I4, "tvlError", nullptr, {{{"form", VT_DISPATCH, "ITvForm"}}}},
    {17, "DefaultSource", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, VT_I2, nullptr, nullptr},
};
const EnumMember k_tvlOutput[] = {{"tvlOutputNone", 0}, {"tvlOutputPrinter", 1}, {"tvlOutputDocument", 2}, {"tvlOutputDC", 3}};
const EnumMember k_tvlUnit[] = {{"tvlUnitMm", 0}, {"tvlUnitMm100", 1}, {"tvlUnitPoint10", 2}, {"tvlUnitInch100", 3}, {"tvlUnitTwip", 4}, {"tvlUnitCpi10", 5}, {"tvlUnitLpi10", 6}};
const EnumMember k_tvlOrientation[] = {{"tvlOrientVertical", 1}, {"tvlOrientHorizontal", 2}};
const EnumMember k_tvlPrintQuality[] = {{"tvlResHigh", -4}, {"tvlResMedium", -3}, {"tvlResLow", -2}, {"tvlResDraft", -1}};
const EnumMember k_tvlColor[] = {{"tvlColorColor", 2}, {"tvlColorMonochrome", 1}};
const EnumMember k_tvlDuplex[] = {{"tvlDupSimplex", 1}, {"tvlDupVertical", 2}, {"tvlDupHorizonal", 3}};
const EnumMember k_tvlTTOption[] = {{"tvlTTBitmap", 1}, {"tvlTTDownload", 2}, {"tvlTTSubdev", 3}};
const EnumMember k_tvlCollate[] = {{"tvlCollateFalse", 0}, {"tvlCollateTrue", 1}};
const EnumMember k_tvlLayerMode[] = {{"tvlLayerModeAP", 0}, {"tvlLayerModeLP", 1}};
const EnumMember k_tvlObjectType[] = {{"tvlLabel", 0}, {"tvlLine", 1}, {"tvlBox", 2}, {"tvlCircle", 3}, {"tvlArc", 4}, {"tvlPolygon", 5}, {"tvlPicture", 6}, {"tvlBarcode", 7}, {"tvlData", 8}, {"tvlList", 9}, {"tvlImage", 10}, {"tvlOle", 11}, {"tvlText", 12}};
const EnumMember k_tvlFillPattern[] = {{"tvlFillNone", 0}, {"tvlFillSolid", 1}, {"tvlFillHorizontal", 2}, {"tvlFillVertical", 3}, {"tvlFillFdiagonal", 4}, {"tvlFillBdiagonal", 5}, {"tvlFillCross", 6}, {"tvlFillDiagcross", 7}, {"tvlFillPattern1", 8}, {"tvlFillPattern2", 9}, {"tvlFillPattern3", 10}, {"tvlFillPattern4", 11}, {"tvlFillPattern5", 12}, {"tvlFillPattern6", 13}};
const EnumMember k_tvlLineStyle[] = {{"tvlLineNone", 0}, {"tvlLineSolid", 1}, {"tvlLineDash", 2}, {"tvlLineDot", 3}, {"tvlLineDashDot", 4}, {"tvlLineDashDotDot", 5}};
const EnumMember k_tvlArcType[] = {{"tvlArcArc", 0}, {"tvlArcChord", 1}, {"tvlArcPie", 2}};
const EnumMember k_tvlPolyType[] = {{"tvlPolyPoly", 0}, {"tvlPolyLine", 1}};
const EnumMember k_tvlBarcodeType[] = {{"tvlBarcodeNw7", 0}, {"tvlBarcodeCode39", 1}, {"tvlBarcodeJan8", 2}, {"tvlBarcodeJan13", 3}, {"tvlBarcodeItf", 4}, {"tvlBarcodeCustomer", 5}};
const EnumMember k_tvlDirection[] = {{"tvlDirectionLtoR", 0}, {"tvlDirectionRtoL", 1}, {"tvlDirectionUtoD", 2}, {"tvlDirectionDtoU", 3}};
const EnumMember k_tvlBarAdjust[] = {{"tvlBarAdjustDefault", 0}, {"tvlBarAdjustEasy", 1}, {"tvlBarAdjustDetail", 2}, {"tvlBarAdjustOutputDpi", 3}};
const EnumMember k_tvlAlignment[] = {{"tvlAlignLeft", 0}, {"tvlAlignRight", 1}, {"tvlAlignCenter", 2}, {"tvlAlignEven", 3}};
const EnumMember k_tvlDecorateLine[] = {{"tvlDecorateLineNone", 0}, {"tvlDecorateLineSolid", 1}, {"tvlDecorateLineDash", 2}, {"tvlDecorateLineDot", 3}, {"tvlDecorateLineDashDot", 4}, {"tvlDecorateLineDashDotDot", 5}, {"tvlDecorateLineDouble", 6}, {"tvlDecorateLineBold", 7}};
const EnumMember k_tvlCharacterRatio[] = {{"tvlCharacterRatio2to1", 0}, {"tvlCharacterRatio3to2", 1}};
const EnumMember k_tvlAngle[] = {{"tvlAngle0", 0}, {"tvlAngle90", -1}, {"tvlAngle180", -2}, {"tvlAngle270", -3}};
const EnumMember k_tvlFlags[] = {{"tvlFlagsCompress", 1}, {"tvlFlagsPrinterCheck", 2}};
const EnumMember k_tvlError[] = {{"tvlNoError", 0}, {"tvlErrNotOpenDocument", -1}, {"tvlErrAlreadyOpenDocument", -2}, {"tvlErrOpenDocument", -3}, {"tvlErrWriteDocument", -4}, {"tvlErrReadDocument", -5}, {"tvlErrNotOpenPrinter", -6}, {"tvlErrAlreadyOpenPrinter", -7}, {"tvlErrInvalidHdc", -8}, {"tvlErrNoPrinter", -9}, {"tvlErrPrinterNotExists", -10}, {"tvlErrCreateDc", -11}, {"tvlErrStartDoc", -12}, {"tvlErrStartPage", -13}, {"tvlErrEndPage", -14}, {"tvlErrEndDoc", -15}, {"tvlErrCreateDocument", -16}, {"tvlErrOleDraw", -17}, {"tvlErrPrinterControl", -18}, {"tvlErrOutputNone", -19}, {"tvlErrObjectDraw", -20}, {"tvlErrPaperSize", -21}, {"tvlErrAddFormDenied", -22}};
const EnumMember k_tvlPaperSize[] = {{"tvlPaperLetter", 1}, {"tvlPaperLegal", 5}, {"tvlPaperA4", 9}, {"tvlPaperCSheet", 24}, {"tvlPaperDSheet", 25}, {"tvlPaperESheet", 26}, {"tvlPaperLetterSmall", 2}, {"tvlPaperTabloid", 3}, {"tvlPaperLedger", 4}, {"tvlPaperStatement", 6}, {"tvlPaperExecutive", 7}, {"tvlPaperA3", 8}, {"tvlPaperA4Small", 10}, {"tvlPaperA5", 11}, {"tvlPaperB4", 12}, {"tvlPaperB5", 13}, {"tvlPaperFolio", 14}, {"tvlPaperQuarto", 15}, {"tvlPaper10X14", 16}, {"tvlPaper11X17", 17}, {"tvlPaperNote", 18}, {"tvlPaperEnv9", 19}, {"tvlPaperEnv10", 20}, {"tvlPaperEnv11", 21}, {"tvlPaperEnv12", 22}, {"tvlPaperEnv14", 23}, {"tvlPaperEnvDL", 27}, {"tvlPaperEnvC5", 28}, {"tvlPaperEnvC3", 29}, {"tvlPaperEnvC4", 30}, {"tvlPaperEnvC6", 31}, {"tvlPaperEnvC65", 32}, {"tvlPaperEnvB4", 33}, {"tvlPaperEnvB5", 34}, {"tvlPaperEnvB6", 35}, {"tvlPaperEnvItaly", 36}, {"tvlPaperEnvMonarch", 37}, {"tvlPaperEnvPersonal", 38}, {"tvlPaperFanfoldUS", 39}, {"tvlPaperFanfoldStdGerman", 40}, {"tvlPaperFanfoldLglGerman", 41}, {"tvlPaperPostCard", 43}, {"tvlPaperUser", 256}};
const EnumInfo kEnums[] = {
    {"tvlOutput", nullptr, k_tvlOutput},
    {"tvlUnit", "座標系の定数定義", k_tvlUnit},
    {"tvlOrientation", nullptr, k_tvlOrientation},
    {"tvlPrintQuality", nullptr, k_tvlPrintQuality},
    {"tvlColor", nullptr, k_tvlColor},
    {"tvlDuplex", nullptr, k_tvlDuplex},
    {"tvlTTOption", nullptr, k_tvlTTOption},
    {"tvlCollate", nullptr, k_tvlCollate},
    {"tvlLayerMode", nullptr, k_tvlLayerMode},
    {"tvlObjectType", nullptr, k_tvlObjectType},
    {"tvlFillPattern", nullptr, k_tvlFillPattern},
    {"tvlLineStyle", nullptr, k_tvlLineStyle},
    {"tvlArcType", nullptr, k_tvlArcType},
    {"tvlPolyType", nullptr, k_tvlPolyType},
    {"tvlBarcodeType", "ﾊﾞｰｺｰﾄﾞの種類の定義", k_tvlBarcodeType},
    {"tvlDirection", "方向の種類の定義", k_tvlDirection},
    {"tvlBarAdjust", nullptr, k_tvlBarAdjust},
    {"tvlAlignment", "文字の横方向の配置定義", k_tvlAlignment},
    {"tvlDecorateLine", nullptr, k_tvlDecorateLine},
    {"tvlCharacterRatio", nullptr, k_tvlCharacterRatio},
    {"tvlAngle", nullptr, k_tvlAngle},
    {"tvlFlags", nullptr, k_tvlFlags},
    {"tvlError", nullptr, k_tvlError},
    {"tvlPaperSize", nullptr, k_tvlPaperSize},
};
const CoclassInfo kCoclasses[] = {
    {"Inkplate", kInkplateClsid, "Tavelo Ver7 Inkplate Control", "ITaveloDraw", "ITaveloEvents"},
    {"TvForms", nullptr, nullptr, "ITvForms", nullptr},
    {"TvForm", nullptr, nullptr, "ITvForm", nullptr},
    {"TvLayers", nullptr, nullptr, "ITvLayers", nullptr},
    {"TvLayer", nullptr, nullptr, "ITvLayer", nullptr},
    {"TvObjects", nullptr, nullptr, "ITvObjects", nullptr},
    {"TvObject", nullptr, nullptr, "ITvObject", nullptr},
    {"TvPrinters", nullptr, nullptr, "ITvPrinters", nullptr},
    {"TvPrinter", nullptr, nullptr, "ITvPrinter", nullptr},
};

const char* TypeText(uint16_t vt, const char* typeName)
{
    if (typeName) return typeName;
    switch (vt) {
    case VT_BSTR: return "String";
    case VT_I4: return "Long";
    case VT_I2: return "Integer";
    case VT_BOOL: return "Boolean";
    case VT_DATE: return "Date";
    case VT_VARIANT: return "Variant";
    case VT_DISPATCH: return "Object";
    case VT_UNKNOWN: return "IUnknown";
    default: return "none";
    }
}

const char* KindText(uint16_t kinds)
{
    if (kinds & DISPATCH_METHOD) return "method";
    return (kinds & DISPATCH_PROPERTYPUT) ? "get put" : "get";
}

} // namespace

const InterfaceInfo kITaveloDraw{"ITaveloDraw", "{A37A80A6-3F34-11D2-912B-00C0DF49BE5E}",
                                 "Dispatch interface for Inkplate Control", kITaveloDrawMembers};
const InterfaceInfo kITaveloEvents{"ITaveloEvents", "{A37A80A7-3F34-11D2-912B-00C0DF49BE5E}",
                                   "Event interface for Inkplate Control", {}};
const InterfaceInfo kITvForms{"ITvForms", nullptr, nullptr, kITvFormsMembers};
const InterfaceInfo kITvForm{"ITvForm", nullptr, nullptr, kITvFormMembers};
const InterfaceInfo kITvLayers{"ITvLayers", nullptr, nullptr, kITvLayersMembers};
const InterfaceInfo kITvLayer{"ITvLayer", nullptr, nullptr, kITvLayerMembers};
const InterfaceInfo kITvObjects{"ITvObjects", nullptr, nullptr, kITvObjectsMembers};
const InterfaceInfo kITvObject{"ITvObject", nullptr, nullptr, kITvObjectMembers};
const InterfaceInfo kITvPrinters{"ITvPrinters", nullptr, nullptr, kITvPrintersMembers};
const InterfaceInfo kITvPrinter{"ITvPrinter", nullptr, nullptr, kITvPrinterMembers};

std::span<const InterfaceInfo* const> Interfaces()
{
    static const InterfaceInfo* const all[] = {&kITaveloDraw, &kITaveloEvents, &kITvForms, &kITvForm,
                                               &kITvLayers,   &kITvLayer,      &kITvObjects, &kITvObject,
                                               &kITvPrinters, &kITvPrinter};
    return all;
}

std::span<const EnumInfo> Enumerations()
{
    return kEnums;
}

std::span<const CoclassInfo> Coclasses()
{
    return kCoclasses;
}

const EnumInfo* FindEnumeration(std::string_view name)
{
    for (const EnumInfo& e : kEnums)
        if (name == e.name) return &e;
    return nullptr;
}

std::string PrintTypeLibrary()
{
    std::string out;
    char buf[64];
    out += std::string("typelib ") + kInkplateLibId + " 1.5\n";
    for (const CoclassInfo& c : kCoclasses) {
        out += std::string("coclass ") + c.name;
        if (c.clsid) out += std::string(" ") + c.clsid;
        if (c.help) out += std::string(" \"") + c.help + "\"";
        out += std::string("\n  default ") + c.defaultInterface + "\n";
        if (c.eventInterface) out += std::string("  events ") + c.eventInterface + "\n";
        if (c.clsid == kInkplateClsid)
            out += std::string("  progid ") + kInkplateProgId + "\n  progid " + kInkplateCurrentProgId + "\n";
    }
    out += std::string("propertypage ") + kInkplatePropPageClsid + " " + kInkplatePropPageProgId + "\n";
    for (const InterfaceInfo* i : Interfaces()) {
        out += std::string("dispinterface ") + i->name;
        if (i->iid) out += std::string(" ") + i->iid;
        if (i->help) out += std::string(" \"") + i->help + "\"";
        out += "\n";
        for (const MemberInfo& m : i->members) {
            std::snprintf(buf, sizeof buf, "  %d ", int(m.id));
            out += buf + std::string(m.name) + " " + KindText(m.kinds) + " " + TypeText(m.type, m.typeName);
            if (size_t n = m.ParamCount()) {
                out += " (";
                for (size_t k = 0; k < n; ++k) {
                    if (k) out += ", ";
                    out += std::string(m.params[k].name) + " " + TypeText(m.params[k].type, m.params[k].typeName);
                }
                out += ")";
            }
            if (m.help) out += std::string(" \"") + m.help + "\"";
            out += "\n";
        }
    }
    for (const EnumInfo& e : kEnums) {
        out += std::string("enum ") + e.name;
        if (e.help) out += std::string(" \"") + e.help + "\"";
        out += "\n";
        for (const EnumMember& m : e.members) out += std::string("  ") + m.name + " " + std::to_string(m.value) + "\n";
    }
    for (const ControlErrorEntry& e : ControlErrorTable()) {
        std::snprintf(buf, sizeof buf, "error %d 0x%08X %d ", int(e.id), unsigned(e.scode), int(ErrorNumberOf(e.scode)));
        out += buf + std::string("\"") + ControlErrorText(e.id) + "\"\n";
    }
    return out;
}

} // namespace nv
