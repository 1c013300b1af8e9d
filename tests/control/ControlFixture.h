#pragma once
// A control over a temporary folder with sample form files written by the
// form-file writer.
#include "control/CInkplateCtrl.h"
#include "control/CXForm.h"
#include "control/CXLayer.h"
#include "control/CXObject.h"
#include "engine/model/CompoundFile.h"
#include "engine/model/FormFile.h"
#include "platform/automation/Status.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace nvtest {

// The sample form: layer "Base" (AP) with "Title" (label), "Amount" (data
// field), "Code" (JAN-13 barcode), "Table" (list 3 x 2), "Frame" (box),
// "Rule" (line), "Logo" (picture "logo.bmp"), "Lost" (picture
// "missing.bmp"), "Photo" (picture field), "Chart" (OLE, its storage in "Embedding 1"); layer
// "Lines" (LP) with "Cell" (data field) and "LpRule" (line).
std::unique_ptr<nv::TvFedObject> SampleForm();
// A storage whose cached presentation is the packed DIB "DIB!".
nv::CompoundEntry PictureStorage();

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Writes the sample form as dir/name with the options.
    std::string WriteSample(const std::string& name, const nv::FormFileOptions& options = {});
    std::shared_ptr<nv::CXForm> OpenSample();
    std::shared_ptr<nv::CXObject> Object(nv::CXForm& form, const std::string& name);
    std::shared_ptr<nv::CXLayer> Layer(nv::CXForm& form, const std::string& name);

    TempDir dir;
    std::unique_ptr<nv::CInkplateCtrl> ctrl;
};

// The status and text id of the automation error a statement raises.
#define EXPECT_TVL_ERROR(statement, scode_, textId_)                                                                  \
    do {                                                                                                              \
        try {                                                                                                         \
            statement;                                                                                                \
            ADD_FAILURE() << #statement " raised nothing";                                                            \
        } catch (const nv::AutomationError& e_) {                                                                     \
            EXPECT_EQ(static_cast<uint32_t>(e_.Scode()), static_cast<uint32_t>(scode_)) << #statement;              \
            EXPECT_EQ(e_.HelpContext(), textId_) << #statement << ": " << e_.Description();                           \
        }                                                                                                             \
    } while (0)

} // namespace nvtest
