#include "ledger/common/DrawErrMsg.h"

#include "control/typelib/TvlError.h"

namespace nv {

std::string gfDrawErrMsg(int32_t code)
{
    switch (code) {
    case tvlNoError: return "正常終了";
    case tvlErrNotOpenDocument: return "タベロドキュメントファイル未オープン";
    case tvlErrAlreadyOpenDocument: return "タベロドキュメントファイルオープン済み";
    case tvlErrOpenDocument: return "タベロドキュメントファイルオープンエラー";
    case tvlErrWriteDocument: return "タベロドキュメントファイルライトエラー";
    case tvlErrReadDocument: return "タベロドキュメントファイルリードエラー";
    case tvlErrNotOpenPrinter: return "プリンタ開始指定がない";
    case tvlErrAlreadyOpenPrinter: return "プリンタ出力指定済み";
    case tvlErrInvalidHdc: return "デバイスコンテキストが有効でない";
    case tvlErrNoPrinter: return "プリンタが1つもインストールされていない";
    case tvlErrPrinterNotExists: return "指定されたプリンタがない";
    case tvlErrCreateDc: return "プリンタデバイスコンテキスト作成失敗";
    case tvlErrStartDoc: return "印刷JOB開始エラー";
    case tvlErrStartPage: return "ページ開始処理エラー";
    case tvlErrEndPage: return "ページ終了処理エラー";
    case tvlErrEndDoc: return "印刷JOB終了処理エラー";
    case tvlErrCreateDocument: return "タベロドキュメントファイル作成エラー";
    case tvlErrOleDraw: return "OLE オブジェクトの描画に失敗";
    case tvlErrPrinterControl: return "プリンタ制御が正常に行われなかった";
    case tvlErrOutputNone: return "プリンタ制御エラー";
    case tvlErrObjectDraw: return "描画オブジェクトの描画に失敗";
    case tvlErrPaperSize: return "フォームのサイズが印刷可能な範囲内でない";
    case tvlErrAddFormDenied: return "用紙登録の権限がない";
    }
    return "不明なエラー (コード " + std::to_string(code) + ")";
}

} // namespace nv
