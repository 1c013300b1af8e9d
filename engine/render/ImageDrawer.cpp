#include "engine/render/ImageDrawer.h"

#include "ImageTool/ImgTool.h"
#include "engine/core/AppException.h"
#include "engine/core/EngineLog.h"
#include "engine/core/File.h"
#include "engine/core/PathUtil.h"
#include "engine/model/TvImage.h"
#include "engine/model/TvOle.h"
#include "engine/render/DibImage.h"
#include "engine/render/EmfPlayer.h"
#include "platform/core/Cp932.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace nv {
namespace {

// Pictures larger than this are refused as unreadable rather than read.
constexpr uint64_t kMaxPictureFile = 512ull << 20;

// A file too large or shorter than it said is a picture that fails to load
// (nullopt); only an I/O error while reading is a read error.
std::optional<std::string> ReadWholeFile(const std::string& path)
{
    CFile file;
    CFileException error(CFileException::none, 0, path);
    if (!file.TryOpen(path, CFile::modeRead, &error)) throw CAppException(error, IDS_IMAGE_OPEN_FAILED, {});
    try {
        const uint64_t length = file.GetLength();
        if (length > kMaxPictureFile) return std::nullopt;
        std::string bytes(static_cast<size_t>(length), '\0');
        if (file.Read(bytes.data(), bytes.size()) != bytes.size()) return std::nullopt;
        file.Close();
        return bytes;
    } catch (const CFileException& e) {
        file.Abort();
        throw CAppException(e, IDS_IMAGE_READ_FAILED, {});
    }
}

std::string UpperExtension(const std::string& path)
{
    const size_t sep = path.rfind('/');
    const size_t start = sep == std::string::npos ? 0 : sep;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < start) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

} // namespace

int32_t ImageDrawer::GetPictureKind(const std::string& path)
{
    if (path.empty()) return kPictureUnknown;
    const std::string ext = UpperExtension(path);
    if (ext == ".DIB") return kPictureDib;
    if (ext == ".BMP") return kPictureBmp;
    if (ext == ".TIF" || ext == ".TIFF") return kPictureTiff;
    if (ext == ".EMF") return kPictureEmf;
    CFile file;
    if (!file.TryOpen(path, CFile::modeRead)) return kPictureNone;
    try {
        if (file.GetLength() <= 4) return kPictureNone;
        unsigned char head[2] = {0, 0};
        if (file.Read(head, 2) != 2) return kPictureNone;
        if (head[0] == 'B' && head[1] == 'M') return kPictureBmp;
        if ((head[0] == 'M' && head[1] == 'M') || (head[0] == 'I' && head[1] == 'I')) return kPictureTiff;
        if (head[0] == 1 && head[1] == 0) return kPictureEmf;
    } catch (const CFileException& e) {
        // Said as no picture, as an unknown kind is; the log keeps the read error.
        LogLine("ImageDrawer", "画像ファイルの種類を読めません: " + LogText(e));
        return kPictureNone;
    }
    return kPictureNone;
}

std::string ImageDrawer::ResolvePath(const TvImage& picture) const
{
    if (picture.m_bEmbedded && !picture.m_strTempFile.empty()) return picture.m_strTempFile;
    if (picture.m_strFileName.empty()) return {};
    if (!picture.m_strFoundPath.empty()) return picture.m_strFoundPath;
    std::string found;
    if (FindStoredFile(found, m_searchPath, picture.m_strFileName) == 0) return found;
    return {};
}

int ImageDrawer::Load(const TvImage& picture)
{
    Free();
    std::string path;
    try {
        path = ResolvePath(picture);
    } catch (const CFileException& e) { // a stored name that names no file here
        throw CAppException(e, IDS_IMAGE_OPEN_FAILED, {});
    }
    if (path.empty()) ThrowAppException(IDS_IMAGE_OPEN_FAILED);
    int32_t kind = picture.m_nPictureKind;
    if (kind == kPictureUnknown) kind = GetPictureKind(path);
    return LoadFile(path, kind);
}

int ImageDrawer::LoadFile(const std::string& path, int32_t kind)
{
    m_kind = kind;
    switch (kind) {
    case kPictureDib:
    case kPictureBmp: {
        const std::optional<std::string> file = ReadWholeFile(path);
        if (!file) return -1;
        const std::string& bytes = *file;
        m_length = bytes.size();
        std::vector<uint8_t> packed;
        DibInfo info;
        if (DibReader::ParseFile(bytes, packed, info) != DibStatus::Ok) return -1;
        if (!DibToImage(packed.data(), packed.size(), m_image, info.bitsOffset)) return -1;
        break;
    }
    case kPictureTiff: {
        std::vector<uint8_t> dib;
        if (ImgTiffToDib(path, dib) != kImgOk) return -1;
        m_length = dib.size();
        if (!DibToImage(dib.data(), dib.size(), m_image)) return -1;
        break;
    }
    case kPictureEmf: {
        try {
            std::optional<std::string> file = ReadWholeFile(path);
            if (!file) return -1;
            m_emf = std::move(*file);
        } catch (const CAppException& e) {
            LogLine("ImageDrawer", "メタファイルを読めません: " + LogText(e));
            return -1;
        }
        m_length = m_emf.size();
        EmfHeader h;
        if (!EmfPlayer::ReadHeader(reinterpret_cast<const uint8_t*>(m_emf.data()), m_emf.size(), h)) {
            m_emf.clear();
            return -1;
        }
        m_natural = DcSize{h.frame.right - h.frame.left, h.frame.bottom - h.frame.top};
        return 0;
    }
    default:
        return 0;  // not a picture: nothing to draw
    }
    m_natural = DcSize{m_image.width, m_image.height};
    return 0;
}

int ImageDrawer::Render(DeviceContext& dc, const DcRect& rect)
{
    if (m_kind == kPictureEmf) {
        if (m_emf.empty()) return -1;
        return EmfPlayer::Play(dc, m_emf, rect, &m_offscreen) == EmfPlayer::Result::NotMetafile ? -1 : 0;
    }
    if (m_image.IsNull()) return 0;
    dc.DrawImage(rect, m_image);
    return 0;
}

void ImageDrawer::Free()
{
    m_kind = kPictureUnknown;
    m_image = DcImage{};
    m_emf.clear();
    m_emf.shrink_to_fit();
    m_natural = DcSize{};
    m_length = 0;
}

namespace {

// The loaded picture is let go however a drawing ends.
class FreeAtEnd {
public:
    explicit FreeAtEnd(ImageDrawer& drawer) : drawer_(drawer) {}
    ~FreeAtEnd() { drawer_.Free(); }
    FreeAtEnd(const FreeAtEnd&) = delete;
    FreeAtEnd& operator=(const FreeAtEnd&) = delete;

private:
    ImageDrawer& drawer_;
};

} // namespace

void ImageDrawer::Draw(const TvImage& picture, DeviceContext& dc, const DcRect& rect)
{
    const FreeAtEnd freed(*this);
    auto draw = [&] {
        if (Load(picture) != 0) ThrowAppException(IDS_IMAGE_DRAW_FAILED);
        if (Render(dc, rect) != 0) ThrowAppException(IDS_IMAGE_DRAW_FAILED);
    };
    // With rethrow the caller hears of the failure and says it.
    if (m_bRethrow) return draw();
    try {
        draw();
    } catch (const CException& e) {
        LogLine("ImageDrawer", "画像 " + Cp932ToUtf8(picture.m_strFileName) + " を描けません: " + LogText(e));
        DrawNoPicture(dc, rect);
    }
}

void ImageDrawer::DrawOle(const TvOle& ole, DeviceContext& dc, const DcRect& rect)
{
    if (const TvOleItem* item = ole.GetItem()) {
        std::string data;
        int32_t kind = 0;
        if (!item->GetPresentation(data, kind)) return;
        if (kind == TvOleItem::pictureEmf) {
            EmfPlayer::Play(dc, data, rect, &m_offscreen);
        } else if (kind == TvOleItem::pictureDib) {
            DcImage image;
            if (DibToImage(reinterpret_cast<const uint8_t*>(data.data()), data.size(), image, 0, true))
                dc.DrawImage(rect, image);
        }
        return;
    }
    if (ole.m_strPictureFile.empty()) return;
    const FreeAtEnd freed(*this);
    if (LoadFile(ole.m_strPictureFile, kPictureEmf) == 0 && Render(dc, rect) == 0) return;
    if (m_bRethrow) ThrowAppException(IDS_IMAGE_DRAW_FAILED);
    LogLine("ImageDrawer", "OLE の代わりのメタファイル " + ole.m_strPictureFile + " を描けません");
}

const DcImage& ImageDrawer::NoPictureImage()
{
    // A grey-framed white card crossed from corner to corner.
    static const DcImage image = [] {
        constexpr int n = 32;
        DcImage img(n, n, 0xFFFFFFFF);
        for (int i = 0; i < n; ++i) {
            for (int e : {0, n - 1}) {
                img.SetPixel(i, e, 0xFF808080);
                img.SetPixel(e, i, 0xFF808080);
            }
            if (i > 0 && i < n - 1) {
                img.SetPixel(i, i, 0xFFC00000);
                img.SetPixel(n - 1 - i, i, 0xFFC00000);
            }
        }
        return img;
    }();
    return image;
}

void ImageDrawer::DrawNoPicture(DeviceContext& dc, const DcRect& rect)
{
    dc.DrawImage(rect, NoPictureImage());
}

void InitImageDrawing()
{
    ImgInitThreadSlots();
}

void TermImageDrawing()
{
    ImgFreeThreadSlots();
}

} // namespace nv
