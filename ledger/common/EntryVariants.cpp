#include "ledger/common/EntryVariants.h"

namespace nv {

EntryArray EntryArrayOf(const Variant& v, const std::string& name)
{
    if (!v.IsArray()) throw EntryError(name, 0, name + ": 配列ではありません");
    const SafeArray& a = v.Deref().Array();
    EntryArray out;
    out.reserve(a.items.size());
    for (size_t i = 0; i < a.items.size(); ++i) {
        const Variant& e = a.items[i].Deref();
        if (e.IsArray() || e.IsObject() || e.IsNull())
            throw EntryError(name, i, name + "(" + std::to_string(i) + "): 値の型が違います");
        switch (e.BaseType()) {
        case VT_EMPTY: out.emplace_back(std::monostate{}); break;
        case VT_I2: out.emplace_back(int64_t{e.I2()}); break;
        case VT_I4: out.emplace_back(int64_t{e.I4()}); break;
        case VT_UI1: out.emplace_back(int64_t{e.Ui1()}); break;
        case VT_R4: out.emplace_back(static_cast<double>(e.R4())); break;
        case VT_R8: out.emplace_back(e.R8()); break;
        case VT_CY: out.emplace_back(static_cast<double>(e.Cy()) / 10000.0); break;
        case VT_BOOL: out.emplace_back(e.Boolean()); break;
        case VT_BSTR: out.emplace_back(e.Str()); break;
        default: throw EntryError(name, i, name + "(" + std::to_string(i) + "): 値の型が違います");
        }
    }
    return out;
}

} // namespace nv
