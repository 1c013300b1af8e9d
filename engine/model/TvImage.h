#pragma once
// A picture in a box: a picture file referred to by name, or embedded in the
// form (its bytes travel in the archive and live in a temporary file while
// the form is loaded).
#include "engine/core/TvObject.h"
#include "engine/model/ModelFiles.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace nv {

class TvImage : public TvObject {
    NV_DECLARE_SERIAL(TvImage)
public:
    // The version word pictures write after their base part.
    static constexpr uint32_t kImageVersion = 11;
    static constexpr size_t kCopyBlock = 4096;

    TvImage();
    explicit TvImage(const Rect& r, std::string_view fileName = {});
    // Takes the template's transparent flag, background colour and frame line
    // (ids 3, 2, 10, 9, 11; whatever of them it supports).
    TvImage(const Rect& r, int32_t frame, const TvObject& templateShape);

    void Serialize(Archive& ar, uint32_t schema) override;
    const ObjectPropertyTable& Properties() const override;
    void GetBoundRect(Rect& out, bool withPen) const override;
    void SetRect(const Rect& r) override;
    int32_t GetType() const override { return objImage; }
    void SetProperties(const TvPropertyMap& map, TvChangeList* changes) override;
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("Picture", form); }
    int32_t GetFlags() const override { return flagPlain | flagArea; }
    uint32_t GetAttribute() const override { return m_crLineColor; }
    std::unique_ptr<TvObject> Clone() const override;
    void SetProperty(uint16_t, const TvPropValue&) override {}
    // Stores the embed-on-store flag.
    void SetFlag(int32_t value) override { m_bEmbedOnStore = value; }

    virtual void CopyImageAttributes(const TvImage& source);

    // The file that holds the picture's bytes: the temporary copy of an
    // embedded picture, the path found for it, else the stored file name as
    // a native path (throws
    // CFileException naming a name that does not convert).
    std::string PictureSource() const;

    int32_t m_nWidth = 0;            // 13
    int32_t m_nHeight = 0;           // 14
    int32_t m_nValue66 = 0;          // 66, kept but unused
    int32_t m_nValue67 = 0;          // 67, kept but unused
    std::string m_strFileName;       // 69, stored CP932
    int32_t m_nValue68 = 0;          // 68, kept but unused
    int32_t m_bFrame = 0;            // 12
    int16_t m_nLineStyle = 1;        // 10
    int32_t m_nLineWidth = 15000;    // 9
    uint32_t m_crLineColor = 0;      // 11
    int32_t m_bEmbedded = 0;         // 60
    int32_t m_nPictureKind = -1;     // 62: -1 unknown, 0 none, 1 DIB, 2 BMP, 3 TIFF, 5 EMF
    int32_t m_nNaturalWidth = 0;     // 64
    int32_t m_nNaturalHeight = 0;    // 63
    int32_t m_bKeepAspect = 0;       // 61
    int32_t m_nDataLength = 0;       // 65
    std::string m_strTempFile;       // 70, native path
    // Where the control found the named file when its folder has no CP932
    // name (native, not stored); empty: the name is the path.
    std::string m_strFoundPath;
    HeldWorkFile m_heldTempFile;     // the work file this picture made, if any: it goes with the picture
    int32_t m_bEmbedOnStore = 0;     // transient, SetFlag

protected:
    void InitDefaults(uint32_t objectId);
    // Whether a store writes the picture's bytes (pictures only, not fields).
    virtual bool EmbedsOnStore() const { return m_bEmbedOnStore != 0; }
    // Box fit to the natural aspect through the bottom-right handle.
    void FitBox(bool grow);

private:
    void StoreData(Archive& ar);
    void LoadData(Archive& ar);
};

} // namespace nv
