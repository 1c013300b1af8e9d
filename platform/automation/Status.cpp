#include "platform/automation/Status.h"

#include <cstdio>

namespace nv {

int32_t ErrorNumberOf(HRESULT scode)
{
    if ((uint32_t(scode) & 0xFFFF0000u) == 0x800A0000u) return int32_t(uint32_t(scode) & 0xFFFFu);
    switch (scode) {
    case DISP_E_TYPEMISMATCH: return 13;
    case DISP_E_OVERFLOW: return 6;
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND: return 438;
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_PARAMNOTOPTIONAL: return 450;
    case DISP_E_BADINDEX: return 9;
    case E_NOTIMPL: return 445;
    case E_OUTOFMEMORY: return 7;
    case E_INVALIDARG: return 5;
    default: return scode;
    }
}

std::string DescriptionOf(HRESULT scode)
{
    switch (ErrorNumberOf(scode)) {
    case 5: return "プロシージャの呼び出し、または引数が不正です";
    case 6: return "オーバーフローしました";
    case 7: return "メモリが不足しています";
    case 9: return "インデックスが有効範囲にありません";
    case 13: return "型が一致しません";
    case 53: return "ファイルが見つかりません";
    case 75: return "パス名が無効です";
    case 380: return "プロパティの値が不正です";
    case 381: return "プロパティの配列のインデックスが不正です";
    case 383: return "読み取り専用のプロパティです";
    case 394: return "書き込み専用のプロパティです";
    case 422: return "プロパティが見つかりません";
    case 429: return "コンポーネントはオブジェクトを作成できません";
    case 438: return "オブジェクトは、このプロパティまたはメソッドをサポートしていません";
    case 445: return "オブジェクトは、この操作をサポートしていません";
    case 450: return "引数の数が一致していません。または不正なプロパティを指定しています";
    case 482: return "プリンタのエラーです";
    default: break;
    }
    char buf[48];
    std::snprintf(buf, sizeof buf, "オートメーション エラー 0x%08X", unsigned(scode));
    return buf;
}

namespace {

ErrorRecord MakeRecord(HRESULT scode, std::string description, int32_t helpContext, std::string source)
{
    ErrorRecord r;
    r.scode = scode;
    r.description = description.empty() ? DescriptionOf(scode) : std::move(description);
    r.helpContext = helpContext;
    r.source = std::move(source);
    return r;
}

} // namespace

AutomationError::AutomationError(HRESULT scode, std::string description, int32_t helpContext,
                                 std::string source)
    : AutomationError(MakeRecord(scode, std::move(description), helpContext, std::move(source)))
{
}

AutomationError::AutomationError(ErrorRecord record)
    : std::runtime_error(record.description.empty() ? DescriptionOf(record.scode) : record.description),
      record_(std::move(record))
{
    if (record_.description.empty()) record_.description = what();
}

} // namespace nv
