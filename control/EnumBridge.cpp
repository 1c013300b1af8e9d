#include "control/Converters.h"
#include "control/PropertyAccess.h"

namespace nv {

namespace {

const ConverterPair* PairOf(EnumKind kind)
{
    switch (kind) {
    case EnumKind::Fill: return &kFillPatternConverter;
    case EnumKind::LineStyle: return &kLineStyleConverter;
    case EnumKind::Arc: return &kArcTypeConverter;
    case EnumKind::Poly: return &kPolyTypeConverter;
    case EnumKind::BarcodeType: return &kBarcodeTypeConverter;
    case EnumKind::Direction: return &kDirectionConverter;
    case EnumKind::Angle: return &kAngleConverter;
    case EnumKind::Alignment: return &kAlignmentConverter;
    case EnumKind::CharRatio: return &kCharacterRatioConverter;
    case EnumKind::DecoLine: return &kDecorateLineConverter;
    case EnumKind::BarAdjust: return &kBarAdjustConverter;
    case EnumKind::None: break;
    }
    return nullptr;
}

} // namespace

int32_t EnumToEngine(EnumKind kind, int32_t value)
{
    const ConverterPair* pair = PairOf(kind);
    return pair ? pair->ToEngine(value) : value;
}

int32_t EnumFromEngine(EnumKind kind, int32_t value)
{
    const ConverterPair* pair = PairOf(kind);
    return pair ? pair->FromEngine(value) : value;
}

} // namespace nv
