#pragma once
// Result codes of the drawing control's methods. With TvlEnums.h this folder
// is the control's type library: header-only, and the one part of control/
// that the ledger may include (to turn the codes into messages), since it
// reaches the control itself only by ProgID.
#include <cstdint>

namespace nv {

enum tvlError : int32_t {
    tvlNoError = 0,
    tvlErrNotOpenDocument = -1,
    tvlErrAlreadyOpenDocument = -2,
    tvlErrOpenDocument = -3,
    tvlErrWriteDocument = -4,
    tvlErrReadDocument = -5,
    tvlErrNotOpenPrinter = -6,
    tvlErrAlreadyOpenPrinter = -7,
    tvlErrInvalidHdc = -8,
    tvlErrNoPrinter = -9,
    tvlErrPrinterNotExists = -10,
    tvlErrCreateDc = -11,
    tvlErrStartDoc = -12,
    tvlErrStartPage = -13,
    tvlErrEndPage = -14,
    tvlErrEndDoc = -15,
    tvlErrCreateDocument = -16,
    tvlErrOleDraw = -17,
    tvlErrPrinterControl = -18,
    tvlErrOutputNone = -19,
    tvlErrObjectDraw = -20,
    tvlErrPaperSize = -21,
    tvlErrAddFormDenied = -22,
};

} // namespace nv
