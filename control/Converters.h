#pragma once
// The control numbers units, fill styles, directions, symbologies and the
// rest differently from the engine; every exchange goes through these.
#include "platform/automation/Status.h"

#include <cstdint>
#include <span>
#include <utility>

namespace nv {

constexpr int32_t kNotInRow = -999;

struct ConverterPair {
    const char* type;                                   // the automation enumeration
    std::span<const std::pair<int32_t, int32_t>> rows;  // automation value -> engine value
    int32_t fromEngineDefault;                          // for engine values not in the rows
    int32_t errorId;                                    // text id when a value is refused
    int32_t (*fromEngineRule)(int32_t) = nullptr;       // replaces the rows backwards

    // The engine value, or kNotInRow.
    int32_t ToEngine(int32_t value) const;
    int32_t FromEngine(int32_t engineValue) const;
};

extern const ConverterPair kUnitConverter;
extern const ConverterPair kBarcodeTypeConverter;
extern const ConverterPair kDirectionConverter;
extern const ConverterPair kAlignmentConverter;
extern const ConverterPair kFillPatternConverter;
extern const ConverterPair kLineStyleConverter;
extern const ConverterPair kArcTypeConverter;
extern const ConverterPair kPolyTypeConverter;
extern const ConverterPair kCharacterRatioConverter;
extern const ConverterPair kDecorateLineConverter;
extern const ConverterPair kBarAdjustConverter;
extern const ConverterPair kAngleConverter;

// The twelve pairs.
std::span<const ConverterPair* const> ConverterPairs();

// Where a refused value is raised: 0x800A017C from a property setter,
// 0x800A0005 from a Set or Draw method of a form.
enum class ConvertSite { PropertySetter, FormMethod };
int32_t ToEngineOrThrow(const ConverterPair& pair, int32_t value, ConvertSite site);

// The rotation of an object (1/100 degree) as tvlAngle: nearest quarter turn,
// halves away from zero.
int32_t AngleFromEngine(int32_t angle);
// Engine layer mode 2 is tvlLayerModeLP, anything else tvlLayerModeAP.
int32_t LayerModeFromEngine(int32_t engineMode);
// DEVMODE orientation 2 is tvlOrientHorizontal, anything else tvlOrientVertical.
int32_t OrientationFromDevMode(int32_t dmOrientation);
// Engine object type code -> tvlObjectType.
int32_t ObjectTypeFromEngine(int32_t typeCode);

struct FormPaper {
    int32_t number;     // the form's paper number
    const char* name;   // UTF-8
    int32_t code;       // DMPAPER code
    int32_t width;      // document units
    int32_t length;
};

std::span<const FormPaper> FormPaperTable();
// The DMPAPER code of a form's paper number; 256 for numbers not in the table.
int32_t FormPaperCode(int32_t paperNumber);

} // namespace nv
