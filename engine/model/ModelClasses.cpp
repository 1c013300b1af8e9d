#include "engine/model/ModelClasses.h"

#include "engine/core/ClassRegistry.h"
#include "engine/core/TvObject.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvFontDesc.h"
#include "engine/model/TvFormInfo.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvArc.h"
#include "engine/model/TvBox.h"
#include "engine/model/TvCircle.h"
#include "engine/model/TvGraphic.h"
#include "engine/model/TvLine.h"
#include "engine/model/TvPolygon.h"
#include "engine/model/TvText.h"
#include "engine/model/TvData.h"
#include "engine/model/TvTextField.h"
#include "engine/model/TvList.h"
#include "engine/model/TvImage.h"
#include "engine/model/TvImageField.h"
#include "engine/model/TvOle.h"
#include "engine/model/TvOleItem.h"
#include "engine/model/TvBarcode.h"

namespace nv {

void RegisterModelClasses()
{
    RegisterCoreClasses();
    ClassRegistry& r = ClassRegistry::Instance();
    r.Register(TvObject::Class());
    r.Register(TvFedObject::Class());
    r.Register(TvFormInfo::Class());
    r.Register(TvFontDesc::Class());
    r.Register(TvLayer::Class());
    // One line per serialisable class of the model:
    r.Register(TvGraphic::Class());
    r.Register(TvLine::Class());
    r.Register(TvBox::Class());
    r.Register(TvCircle::Class());
    r.Register(TvArc::Class());
    r.Register(TvPolygon::Class());
    r.Register(TvText::Class());
    r.Register(TvData::Class());
    r.Register(TvTextField::Class());
    r.Register(TvList::Class());
    r.Register(TvImage::Class());
    r.Register(TvImageField::Class());
    r.Register(TvOle::Class());
    r.Register(TvOleItem::Class());
    r.Register(TvBarcode::Class());
}

} // namespace nv
