#pragma once
// The OLE item of an OLE object. There is no OLE here, so an item is never
// live: its stored data is kept as read and written back byte for byte, and
// the picture stored in its storage is what gets drawn.
#include "engine/core/CObject.h"

#include <cstdint>
#include <string>

namespace nv {

class TvOle;

class TvOleItem : public CObject {
    NV_DECLARE_SERIAL(TvOleItem)
public:
    enum ItemType : uint16_t { typeUnknown = 0, typeLink = 1, typeEmbedded = 2, typeStatic = 3 };
    enum LinkUpdate : uint16_t { updateAutomatic = 1, updateManual = 3 };
    // Kinds of stored picture (the picture kinds of the picture drawer).
    enum PictureKind : int32_t { pictureNone = 0, pictureDib = 1, pictureEmf = 5 };

    TvOleItem() = default;
    explicit TvOleItem(TvOle* owner) : m_pOwner(owner) {}

    // Stored form: item number (32-bit), item type, draw aspect and link
    // update option (16-bit each), then the length (32-bit) and the bytes of
    // the item's storage, an OLE compound file. A length of 0 means the
    // storage lives in the form file's own container.
    void Serialize(Archive& ar, uint32_t schema) override;

    // No object runs here: no automation interface is ever available.
    void* GetDispatch() { return nullptr; }
    // Embedded items and manual links need nothing (nonzero); an automatic
    // link cannot be brought up to date without its server (0).
    int32_t UpdateLink(bool force, int32_t argument);

    // The presentation cached in the storage ("\2OlePres" streams) that the
    // renderer can draw: an enhanced metafile or a packed DIB. Returns false
    // (kind pictureNone) when there is none or the storage cannot be read.
    bool GetPresentation(std::string& data, int32_t& kind) const;

    // The sub-storage of a form file's root storage that holds the item's
    // storage when the archive does not ("Embedding" and the item number).
    std::string ContainerStorageName() const { return "Embedding " + std::to_string(m_dwItemNumber); }

    TvOle* m_pOwner = nullptr;   // not owned
    uint32_t m_dwItemNumber = 0;
    uint16_t m_nItemType = typeEmbedded;
    uint16_t m_nDrawAspect = 1;  // content
    uint16_t m_nLinkUpdate = updateAutomatic;
    std::string m_storage;       // the storage's compound file, as stored
    // Why the storage in the form file's container could not be taken in
    // (empty: it was, or there was none). Such an item would be saved
    // without its storage, so its form is not saved at all.
    std::string m_strStorageLost;
};

} // namespace nv
