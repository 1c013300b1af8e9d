#include "engine/model/TvImage.h"

#include "engine/core/AppException.h"
#include "engine/core/Archive.h"
#include "engine/core/File.h"
#include "engine/core/FileCleanup.h"
#include "engine/core/PathUtil.h"
#include "engine/core/PropertyTypes.h"
#include "engine/core/TempFileManager.h"
#include "engine/model/FramedRows.h"
#include "engine/model/ModelFiles.h"

#include <limits>
#include <vector>

namespace nv {

NV_IMPLEMENT_SERIAL(TvImage, TvObject, 10, true)

namespace {

// The frame line of a template shape, read through its property table so
// that any shape class can serve.
void ReadTemplateLine(const TvObject& shape, int16_t& style, int32_t& width, uint32_t& colour)
{
    auto& s = const_cast<TvObject&>(shape);
    void* address = nullptr;
    int32_t kind = 0;
    if (s.GetPropertyAddress(propLineStyle, address, kind) && address) {
        if (kind == addrShort) style = *static_cast<int16_t*>(address);
        else if (kind == addrLong) style = static_cast<int16_t>(*static_cast<int32_t*>(address));
    }
    if (s.GetPropertyAddress(propLineWidth, address, kind) && address && kind == addrLong) width = *static_cast<int32_t*>(address);
    if (s.GetPropertyAddress(propLineColor, address, kind) && address && kind == addrLong)
        colour = *static_cast<uint32_t*>(address);
}

} // namespace

TvImage::TvImage()
{
    InitDefaults(12);
}

TvImage::TvImage(const Rect& r, std::string_view fileName)
{
    InitDefaults(12);
    m_nX = r.left;
    m_nY = r.top;
    m_nWidth = r.Width();
    m_nHeight = r.Height();
    m_strFileName = fileName;
}

TvImage::TvImage(const Rect& r, int32_t frame, const TvObject& templateShape)
{
    InitDefaults(12);
    m_nX = r.left;
    m_nY = r.top;
    m_nWidth = r.Width();
    m_nHeight = r.Height();
    m_bFrame = frame;
    m_bTransparent = templateShape.m_bTransparent;
    m_crBackColor = templateShape.m_crBackColor;
    ReadTemplateLine(templateShape, m_nLineStyle, m_nLineWidth, m_crLineColor);
}

void TvImage::InitDefaults(uint32_t objectId)
{
    m_nObjectId = objectId;
}

std::string TvImage::PictureSource() const
{
    if (m_bEmbedded && !m_strTempFile.empty()) return m_strTempFile;
    if (!m_strFoundPath.empty()) return m_strFoundPath;
    return StoredNameToPath(m_strFileName);
}

void TvImage::Serialize(Archive& ar, uint32_t schema)
{
    TvObject::Serialize(ar, schema);
    if (ar.IsStoring()) {
        ar.WriteU32(kImageVersion);
        ar.WriteI32(m_bEmbedOnStore);
        ar.WriteI32(m_nWidth);
        ar.WriteI32(m_nHeight);
        ar.WriteI32(m_nValue66);
        ar.WriteI32(m_nValue67);
        ar.WriteString(m_strFileName);
        ar.WriteI32(m_nValue68);
        ar.WriteI32(m_bFrame);
        ar.WriteI16(m_nLineStyle);
        ar.WriteI32(m_nLineWidth);
        ar.WriteU32(m_crLineColor);
        ar.WriteI32(m_bEmbedded);
        ar.WriteI32(m_nNaturalWidth);
        ar.WriteI32(m_nNaturalHeight);
        ar.WriteI32(m_bKeepAspect);
        ar.WriteI32(m_nPictureKind);
        if (m_bEmbedded || EmbedsOnStore()) StoreData(ar);
        return;
    }
    const uint32_t version = schema >= 10 ? ar.ReadU32() : 10;
    m_bEmbedOnStore = version > 10 ? ar.ReadI32() : 0;
    m_nWidth = ar.ReadI32();
    m_nHeight = ar.ReadI32();
    m_nValue66 = ar.ReadI32();
    m_nValue67 = ar.ReadI32();
    m_strFileName = ar.ReadString();
    m_nValue68 = ar.ReadI32();
    m_bFrame = ar.ReadI32();
    m_nLineStyle = ar.ReadI16();
    m_nLineWidth = ar.ReadI32();
    m_crLineColor = ar.ReadU32();
    m_bEmbedded = ar.ReadI32();
    m_nNaturalWidth = ar.ReadI32();
    m_nNaturalHeight = ar.ReadI32();
    m_bKeepAspect = ar.ReadI32();
    m_nPictureKind = ar.ReadI32();
    if (m_bEmbedded || EmbedsOnStore()) {
        LoadData(ar);
    } else {
        m_nDataLength = 0;
        m_strTempFile.clear();
    }
}

// The picture's bytes follow its fields. An embedded picture takes them from
// its temporary copy; embed-on-store takes them from the picture file and
// keeps a temporary copy, so the object stays drawable and the next store
// writes the same bytes again.
void TvImage::StoreData(Archive& ar)
{
    const bool becomesEmbedded = !m_bEmbedded;
    const std::string source = PictureSource();
    CFile in(source, CFile::modeRead);
    const uint64_t length = in.GetLength();
    if (length > std::numeric_limits<uint32_t>::max())
        throw CFileException(CFileException::invalidFile, 0, source);

    FileCleanup copyName(becomesEmbedded ? NewModelTempFile() : std::string());
    CFile copy; // closed before its file is removed on failure
    if (becomesEmbedded) copy.Open(copyName.Path(), CFile::modeCreate);
    std::vector<char> block(kCopyBlock);
    uint64_t left = length;
    ar.WriteU32(static_cast<uint32_t>(length));
    while (left > 0) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(left, kCopyBlock));
        if (in.Read(block.data(), n) != n)  // the file shrank under us
            throw CFileException(CFileException::endOfFile, 0, source);
        ar.Write(block.data(), n);
        if (becomesEmbedded) copy.Write(block.data(), n);
        left -= n;
    }
    if (becomesEmbedded) copy.Close();
    m_nDataLength = static_cast<int32_t>(length);
    if (becomesEmbedded) {
        m_bEmbedded = 1;
        m_strTempFile = copyName.Keep();
        m_heldTempFile = HeldWorkFile(m_strTempFile);
    }
}

void TvImage::LoadData(Archive& ar)
{
    const uint32_t length = ar.ReadU32();
    if (length > ar.Remaining()) ar.ThrowError(CArchiveException::endOfFile);
    FileCleanup name(NewModelTempFile());
    CFile out(name.Path(), CFile::modeCreate);
    std::vector<char> block(kCopyBlock);
    for (uint32_t left = length; left > 0;) {
        const size_t n = std::min<size_t>(left, kCopyBlock);
        ar.Read(block.data(), n);
        out.Write(block.data(), n);
        left -= static_cast<uint32_t>(n);
    }
    out.Close();
    // Data found means the picture is embedded now, whichever flag sent it.
    m_bEmbedded = 1;
    m_nDataLength = static_cast<int32_t>(length);
    m_strTempFile = name.Keep();
    m_heldTempFile = HeldWorkFile(m_strTempFile);
}

void TvImage::GetBoundRect(Rect& out, bool withPen) const
{
    out = Rect::At(m_nX, m_nY, m_nWidth, m_nHeight);
    if (withPen) {
        const auto d = static_cast<int32_t>((int64_t{m_nLineWidth} + 3) / 2);
        out.Inflate(d, d);
    }
}

void TvImage::FitBox(bool grow)
{
    FitBoxToAspect(m_nX, m_nY, m_nWidth, m_nHeight, Size{m_nNaturalWidth, m_nNaturalHeight}, grow);
}

void TvImage::SetRect(const Rect& r)
{
    SetPictureRect(r, m_nWidth, m_nHeight, Size{m_nNaturalWidth, m_nNaturalHeight}, m_bKeepAspect != 0);
}

const ObjectPropertyTable& TvImage::Properties() const
{
    using Row = ObjectPropertyTable::Row;
    static constexpr Row rows[] = {
        BaseRow(propName, useRead | useWrite),
        ObjectRows::Field<&TvImage::m_bEmbedded>(propEmbedded, useReadOnly),
        // Keeping the aspect refits the box to the picture at once.
        ObjectRows::Field<&TvImage::m_bKeepAspect>(
            propKeepAspect, useAll,
            [](TvObject& o, const Row&, const TvPropValue& v, TvChangeList* changes) {
                auto& img = static_cast<TvImage&>(o);
                SetLongProp(changes, propKeepAspect, img.m_bKeepAspect, v.AsLong());
                if (v.AsLong() == 0) return;
                const int32_t w = img.m_nWidth, h = img.m_nHeight, x = img.m_nX, y = img.m_nY;
                img.FitBox(false);
                const int32_t fw = img.m_nWidth, fh = img.m_nHeight;
                img.m_nWidth = w;
                img.m_nHeight = h;
                img.m_nX = x;
                img.m_nY = y;
                SetLongProp(changes, propWidth, img.m_nWidth, fw);
                SetLongProp(changes, propHeight, img.m_nHeight, fh);
            }),
        ObjectRows::Field<&TvImage::m_nPictureKind>(propPictureKind, useReadOnly),
        ObjectRows::Field<&TvImage::m_nNaturalHeight>(propNaturalHeight, useReadOnly),
        ObjectRows::Field<&TvImage::m_nNaturalWidth>(propNaturalWidth, useReadOnly),
        ObjectRows::Field<&TvImage::m_nDataLength>(propPictureLength, useApply),
        ObjectRows::Field<&TvImage::m_nValue66>(propPictureSpare1),
        ObjectRows::Field<&TvImage::m_nValue67>(propPictureSpare2),
        ObjectRows::Field<&TvImage::m_nValue68>(propPictureSpare3, useReadOnly),
        ObjectRows::Field<&TvImage::m_strFileName>(propFileName, useReadOnly),
        ObjectRows::Field<&TvImage::m_strTempFile>(propTempFile, useApply),
    };
    static const ObjectPropertyTable table(&BaseProperties(), rows, kFramedRows<TvImage>, kOfferedBaseRows);
    return table;
}

void TvImage::SetProperties(const TvPropertyMap& map, TvChangeList* changes)
{
    const std::string oldName = m_strFileName;
    const int32_t oldEmbedded = m_bEmbedded;
    TvImage::Properties().Apply(*this, map, changes);
    // A picture no longer embedded, or embedded from another file, drops
    // its temporary copy; another file has a kind yet unknown.
    const bool embeddedChanged = m_bEmbedded != oldEmbedded, nameChanged = m_strFileName != oldName;
    if ((embeddedChanged && m_bEmbedded == 0) || (!embeddedChanged && m_bEmbedded && nameChanged))
        SetStringProp(changes, propTempFile, m_strTempFile, "");
    if (nameChanged) {
        SetLongProp(changes, propPictureKind, m_nPictureKind, -1);
        m_strFoundPath.clear();
    }
}

std::unique_ptr<TvObject> TvImage::Clone() const
{
    auto copy = std::make_unique<TvImage>();
    copy->CopyImageAttributes(*this);
    return copy;
}

void TvImage::CopyImageAttributes(const TvImage& s)
{
    CopyAttributes(s);
    m_strFoundPath = s.m_strFoundPath;
    m_nWidth = s.m_nWidth;
    m_nHeight = s.m_nHeight;
    m_nValue66 = s.m_nValue66;
    m_nValue67 = s.m_nValue67;
    m_strFileName = s.m_strFileName;
    m_nValue68 = s.m_nValue68;
    m_bFrame = s.m_bFrame;
    m_nLineStyle = s.m_nLineStyle;
    m_nLineWidth = s.m_nLineWidth;
    m_crLineColor = s.m_crLineColor;
    m_bEmbedded = s.m_bEmbedded;
    m_nPictureKind = s.m_nPictureKind;
    m_nNaturalWidth = s.m_nNaturalWidth;
    m_nNaturalHeight = s.m_nNaturalHeight;
    m_bKeepAspect = s.m_bKeepAspect;
    m_nDataLength = s.m_nDataLength;
    m_strTempFile.clear();
    m_heldTempFile.Release();
    // Each copy owns its own temporary file, so freeing one never takes the
    // other's picture; the file goes with its copy.
    if (s.m_strTempFile.empty()) return;
    m_strTempFile = CopyToNewModelTempFile(s.m_strTempFile);
    m_heldTempFile = HeldWorkFile(m_strTempFile);
}

} // namespace nv
