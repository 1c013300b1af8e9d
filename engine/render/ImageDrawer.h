#pragma once
// Loads the picture file of a picture object (DIB, BMP, TIFF through the image
// toolkit, enhanced metafile) and draws it into a rectangle of a device
// context. What cannot be drawn shows the "no picture" image, or is passed on
// as an exception when the owner asks for that.
#include "engine/render/EmfPlayer.h"
#include "platform/gdi/DeviceContext.h"

#include <cstdint>
#include <string>

namespace nv {

class TvImage;
class TvOle;

// Picture kinds.
enum : int32_t {
    kPictureUnknown = -1,
    kPictureNone = 0,
    kPictureDib = 1,
    kPictureBmp = 2,
    kPictureTiff = 3,
    kPictureEmf = 5,
};

class ImageDrawer {
public:
    ImageDrawer() = default;

    void SetRethrow(bool flag) { m_bRethrow = flag; }
    // ";"-separated native folders searched for pictures named without a
    // folder; an empty entry (and the empty list) is the current folder.
    void SetSearchPath(std::string folders) { m_searchPath = std::move(folders); }
    // Offscreen images for metafiles with raster operations (see EmfPlayer).
    void SetRasterSurfaceFactory(RasterSurfaceFactory factory) { m_offscreen = std::move(factory); }

    // Loads, renders and frees. Failures draw the "no picture" image over the
    // rectangle, or throw (CAppException 30003, 30004, 30005) with rethrow.
    void Draw(const TvImage& picture, DeviceContext& dc, const DcRect& rect);
    // An OLE object: the picture stored with its item, else its substitute
    // metafile. Nothing to draw is not a failure; a substitute that cannot be
    // opened throws 30003 with rethrow.
    void DrawOle(const TvOle& ole, DeviceContext& dc, const DcRect& rect);

    static int32_t GetPictureKind(const std::string& path);
    // The file to read: an embedded picture's temporary copy, else the stored
    // name found along the search path; empty when there is none. A stored
    // name that does not convert throws CFileException naming it.
    std::string ResolvePath(const TvImage& picture) const;
    // 0 on success; throws CAppException 30005 (cannot open) and 30004 (read
    // error) for bitmap files.
    int Load(const TvImage& picture);
    // 0, or -1 when the loaded picture cannot be drawn.
    int Render(DeviceContext& dc, const DcRect& rect);
    void Free();

    // Loaded state.
    int32_t Kind() const { return m_kind; }
    DcSize NaturalSize() const { return m_natural; }
    const DcImage& Image() const { return m_image; }

    // The "no picture" image.
    static const DcImage& NoPictureImage();

private:
    int LoadFile(const std::string& path, int32_t kind);
    void DrawNoPicture(DeviceContext& dc, const DcRect& rect);

    bool m_bRethrow = false;
    std::string m_searchPath;
    RasterSurfaceFactory m_offscreen;
    int32_t m_kind = kPictureUnknown;
    DcImage m_image;      // a bitmap or TIFF picture
    std::string m_emf;    // a metafile's bytes
    DcSize m_natural;
    uint64_t m_length = 0;
};

// Optional at program start and exit: the picture toolkit keeps its state
// per thread and resets it on every call, so a plug-in draws pictures
// whether or not its host called these.
void InitImageDrawing();
void TermImageDrawing();

} // namespace nv
