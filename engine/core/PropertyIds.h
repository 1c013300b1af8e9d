#pragma once
// The numbers by which report objects, layers, forms and printer set-ups
// name their properties, the object type codes and the page-order change
// kinds. Stored documents and the control's property table use these
// numbers: a name may change, a number never.
#include <cstdint>

namespace nv {

enum PropId : uint16_t {
    // Every drawable object.
    propTextColor = 1,
    propBackColor = 2, // also a layer's back colour
    propTransparent = 3,
    propAnchorX = 4,
    propAnchorY = 5,
    propName = 6,

    // Fill and outline.
    propFillColor = 7, // a barcode's bar colour
    propFillStyle = 8, // 16-bit
    propLineWidth = 9,
    propLineStyle = 10, // 16-bit
    propLineColor = 11,
    propFrame = 12,
    propWidth = 13,
    propHeight = 14,
    propRoundSize = 15,

    // Characters.
    propBold = 20,
    propItalic = 21,
    propStrike = 22,
    propUnderline = 23,
    propBothFonts = 24, // sets the single-byte and the double-byte font
    propCharSize = 25,  // sets both character sizes (and pitches)
    propAlign = 26,

    // Shapes and barcodes.
    propArcType = 27,
    propSymbology = 28,
    propCheckDigit = 29,
    propPolyType = 30,
    propDirection = 31,
    propEndX = 33, // a line's end, a circle's right
    propEndY = 34, // a line's end, a circle's bottom

    // Text and edit picture.
    propText = 35,
    propReplaceChar = 36,
    propSparePicture = 37, // kept only
    propPicture = 38,
    propStartAngle = 39,
    propEndAngle = 40,
    propAngle = 41,
    propWordWrap = 42,
    propKinsoku = 43,
    propUnderlineColor = 44,
    propStrikeColor = 45,
    propReverse = 46,
    propAutoLineFeed = 47,
    propMeasuredPitch = 48,
    propMarginLeft = 49,
    propMarginTop = 50,
    propZenPitch = 51,
    propHanPitch = 52,
    propLinePitch = 53,
    propZenFont = 54,
    propHanFont = 55,
    propHanWidth = 56,
    propHanHeight = 57,
    propZenWidth = 58,
    propZenHeight = 59,

    // Pictures.
    propEmbedded = 60,
    propKeepAspect = 61,
    propPictureKind = 62,
    propNaturalHeight = 63,
    propNaturalWidth = 64,
    propPictureLength = 65,
    propPictureSpare1 = 66, // 66-68 kept only
    propPictureSpare2 = 67,
    propPictureSpare3 = 68,
    propFileName = 69, // recorded as an embedded file
    propTempFile = 70,

    // Layers.
    propLayerId = 71,
    propLayerName = 72,
    propVisibleAtDesign = 73,
    propVisibleAtPrint = 74,
    propTransparentAtDesign = 75,
    propTransparentAtPrint = 76,
    propGridX = 77,
    propGridY = 78,
    propPrintDpiX = 79,
    propPrintDpiY = 80,
    propLayerMode = 81,
    propLayerValue1 = 82,
    propSecondColor = 83,
    propLayerValue2 = 84,
    propLayerValue3 = 85,

    propTextSpare1 = 87, // 87-90 kept only
    propTextSpare2 = 88,
    propTextSpare3 = 89,
    propTextSpare4 = 90,
    propCharRatio = 91,
    propBarWidthMode = 92,
    propTurn = 93, // a new direction that keeps the bounds in place
    propNominalLength = 94,
    propBefore = 96,
    propAfter = 97,
    propMarginRight = 98,
    propMarginBottom = 99,
    propTextSpare5 = 100, // kept only
    propLayerValue4 = 102,
    propComma = 104,

    // Barcode bar widths.
    propSecondWidth = 105,
    propFirstWidth = 106,
    propStandardHeight = 107,
    propWidthCount = 108,
    propBarWidthFirst = 109, // 109-116: one width per bar kind
    propBarWidthLast = 116,

    // Circles, polygons, fields, lists.
    propCenterX = 117,
    propCenterY = 118,
    propRadiusX = 119,
    propRadiusY = 120,
    propPolyCount = 121,
    propFieldNumber = 122,
    propColumns = 123, // 16-bit
    propRows = 124,    // 16-bit
    propCellText = 125, // "column:row:text"

    // Form information.
    propFormName = 500,
    propPaperSize = 501,
    propPaperWidth = 502,
    propPaperLength = 503,
    propFormMarginLeft = 504,
    propFormMarginTop = 505,
    propFormMarginRight = 506,
    propFormMarginBottom = 507,
    propFormOrientation = 510,
    propAuthor = 511,
    propContents = 512,
    propCreateTime = 513,
    propUpdateTime = 514,
    propUpdateRevision = 515,
    propEditorVersion = 516,
    propKinsokuChars = 517,
    propFormOption1 = 520,
    propFormOption2 = 521,
    propFormOption3 = 522,
    propFormOffsetX = 523,
    propFormOffsetY = 524,

    // Page values.
    propVisible = 1000,
    propValue = 1001,        // a field's or a barcode's value on the page
    propEmbeddedFile = 1002, // recorded as an embedded file

    // Printer set-up of a document (1500-1513).
    propPrnOrientation = 1500,
    propPrnPaperSize = 1501,
    propPrnPaperLength = 1502,
    propPrnPaperWidth = 1503,
    propPrnScale = 1504,
    propPrnCopies = 1505,
    propPrnQuality = 1506,
    propPrnColor = 1507,
    propPrnDuplex = 1508,
    propPrnYResolution = 1509,
    propPrnTrueTypeOption = 1510,
    propPrnCollate = 1511,
    propPrnFormName = 1512,
    propPrnDefaultSource = 1513,
};

// Page-order changes, recorded in a page's data like properties. The value
// is the form's order-change count, which orders their replay.
enum OrderChange : uint16_t {
    orderLayerToFront = 1003,
    orderLayerToBack = 1004,
    orderObjectToFront = 1005,
    orderObjectToBack = 1006,
};

// What GetType answers.
enum ObjectType : int32_t {
    objNone = 0,
    objText = 1,
    objLine = 2,
    objBox = 3,
    objCircle = 4,
    objArc = 5,
    objPolygon = 6,
    objImage = 7,
    objData = 8,
    objBarcode = 9,
    objList = 10,
    objTextField = 11,
    objImageField = 12,
    objOle = 13,
};

// What GetFlags answers, bit by bit (which classes set each bit).
enum ObjectFlag : int32_t {
    flagBoxCorners = 1,     // box
    flagArcOfCircle = 2,    // arc
    flagTextAttributes = 4, // text, data field, text field, list
    flagArea = 8,           // every object with an inside but lines and barcodes
    flagPlain = 16,         // every object but barcodes
    flagCharacters = 32,    // text, data field, text field, barcode
    flagBarcode = 64,
};

} // namespace nv
