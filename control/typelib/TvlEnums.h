#pragma once
// The drawing control's enumerations as its type library declares them
// (tvlError is in TvlError.h). Names and values are a contract with hosts.
#include <cstdint>

namespace nv {

enum tvlOutput : int32_t {
    tvlOutputNone = 0,
    tvlOutputPrinter = 1,
    tvlOutputDocument = 2,
    tvlOutputDC = 3,
};

enum tvlUnit : int32_t {
    tvlUnitMm = 0,
    tvlUnitMm100 = 1,
    tvlUnitPoint10 = 2,
    tvlUnitInch100 = 3,
    tvlUnitTwip = 4,
    tvlUnitCpi10 = 5,
    tvlUnitLpi10 = 6,
};

enum tvlOrientation : int32_t {
    tvlOrientVertical = 1,
    tvlOrientHorizontal = 2,
};

enum tvlPrintQuality : int32_t {
    tvlResHigh = -4,
    tvlResMedium = -3,
    tvlResLow = -2,
    tvlResDraft = -1,
};

enum tvlColor : int32_t {
    tvlColorColor = 2,
    tvlColorMonochrome = 1,
};

enum tvlDuplex : int32_t {
    tvlDupSimplex = 1,
    tvlDupVertical = 2,
    tvlDupHorizonal = 3,
};

enum tvlTTOption : int32_t {
    tvlTTBitmap = 1,
    tvlTTDownload = 2,
    tvlTTSubdev = 3,
};

enum tvlCollate : int32_t {
    tvlCollateFalse = 0,
    tvlCollateTrue = 1,
};

enum tvlLayerMode : int32_t {
    tvlLayerModeAP = 0,
    tvlLayerModeLP = 1,
};

enum tvlObjectType : int32_t {
    tvlLabel = 0,
    tvlLine = 1,
    tvlBox = 2,
    tvlCircle = 3,
    tvlArc = 4,
    tvlPolygon = 5,
    tvlPicture = 6,
    tvlBarcode = 7,
    tvlData = 8,
    tvlList = 9,
    tvlImage = 10,
    tvlOle = 11,
    tvlText = 12,
};

enum tvlFillPattern : int32_t {
    tvlFillNone = 0,
    tvlFillSolid = 1,
    tvlFillHorizontal = 2,
    tvlFillVertical = 3,
    tvlFillFdiagonal = 4,
    tvlFillBdiagonal = 5,
    tvlFillCross = 6,
    tvlFillDiagcross = 7,
    tvlFillPattern1 = 8,
    tvlFillPattern2 = 9,
    tvlFillPattern3 = 10,
    tvlFillPattern4 = 11,
    tvlFillPattern5 = 12,
    tvlFillPattern6 = 13,
};

enum tvlLineStyle : int32_t {
    tvlLineNone = 0,
    tvlLineSolid = 1,
    tvlLineDash = 2,
    tvlLineDot = 3,
    tvlLineDashDot = 4,
    tvlLineDashDotDot = 5,
};

enum tvlArcType : int32_t {
    tvlArcArc = 0,
    tvlArcChord = 1,
    tvlArcPie = 2,
};

enum tvlPolyType : int32_t {
    tvlPolyPoly = 0,
    tvlPolyLine = 1,
};

enum tvlBarcodeType : int32_t {
    tvlBarcodeNw7 = 0,
    tvlBarcodeCode39 = 1,
    tvlBarcodeJan8 = 2,
    tvlBarcodeJan13 = 3,
    tvlBarcodeItf = 4,
    tvlBarcodeCustomer = 5,
};

enum tvlDirection : int32_t {
    tvlDirectionLtoR = 0,
    tvlDirectionRtoL = 1,
    tvlDirectionUtoD = 2,
    tvlDirectionDtoU = 3,
};

enum tvlBarAdjust : int32_t {
    tvlBarAdjustDefault = 0,
    tvlBarAdjustEasy = 1,
    tvlBarAdjustDetail = 2,
    tvlBarAdjustOutputDpi = 3,
};

enum tvlAlignment : int32_t {
    tvlAlignLeft = 0,
    tvlAlignRight = 1,
    tvlAlignCenter = 2,
    tvlAlignEven = 3,
};

enum tvlDecorateLine : int32_t {
    tvlDecorateLineNone = 0,
    tvlDecorateLineSolid = 1,
    tvlDecorateLineDash = 2,
    tvlDecorateLineDot = 3,
    tvlDecorateLineDashDot = 4,
    tvlDecorateLineDashDotDot = 5,
    tvlDecorateLineDouble = 6,
    tvlDecorateLineBold = 7,
};

enum tvlCharacterRatio : int32_t {
    tvlCharacterRatio2to1 = 0,
    tvlCharacterRatio3to2 = 1,
};

enum tvlAngle : int32_t {
    tvlAngle0 = 0,
    tvlAngle90 = -1,
    tvlAngle180 = -2,
    tvlAngle270 = -3,
};

enum tvlFlags : int32_t {
    tvlFlagsCompress = 1,
    tvlFlagsPrinterCheck = 2,
};

enum tvlPaperSize : int32_t {
    tvlPaperLetter = 1,
    tvlPaperLegal = 5,
    tvlPaperA4 = 9,
    tvlPaperCSheet = 24,
    tvlPaperDSheet = 25,
    tvlPaperESheet = 26,
    tvlPaperLetterSmall = 2,
    tvlPaperTabloid = 3,
    tvlPaperLedger = 4,
    tvlPaperStatement = 6,
    tvlPaperExecutive = 7,
    tvlPaperA3 = 8,
    tvlPaperA4Small = 10,
    tvlPaperA5 = 11,
    tvlPaperB4 = 12,
    tvlPaperB5 = 13,
    tvlPaperFolio = 14,
    tvlPaperQuarto = 15,
    tvlPaper10X14 = 16,
    tvlPaper11X17 = 17,
    tvlPaperNote = 18,
    tvlPaperEnv9 = 19,
    tvlPaperEnv10 = 20,
    tvlPaperEnv11 = 21,
    tvlPaperEnv12 = 22,
    tvlPaperEnv14 = 23,
    tvlPaperEnvDL = 27,
    tvlPaperEnvC5 = 28,
    tvlPaperEnvC3 = 29,
    tvlPaperEnvC4 = 30,
    tvlPaperEnvC6 = 31,
    tvlPaperEnvC65 = 32,
    tvlPaperEnvB4 = 33,
    tvlPaperEnvB5 = 34,
    tvlPaperEnvB6 = 35,
    tvlPaperEnvItaly = 36,
    tvlPaperEnvMonarch = 37,
    tvlPaperEnvPersonal = 38,
    tvlPaperFanfoldUS = 39,
    tvlPaperFanfoldStdGerman = 40,
    tvlPaperFanfoldLglGerman = 41,
    tvlPaperPostCard = 43,
    tvlPaperUser = 256,
};
} // namespace nv
