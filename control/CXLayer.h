#pragma once
// One layer of an opened form as the host holds it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nv {

class CXForm;
class CXObject;
class TvLayer;

class CXLayer : public std::enable_shared_from_this<CXLayer> {
public:
    CXLayer(std::shared_ptr<CXForm> form, TvLayer* layer) : m_pForm(std::move(form)), m_pLayer(layer) {}

    bool VisibleAtDesign() const;
    bool GetVisibleAtPrint() const;
    void SetVisibleAtPrint(bool v);
    bool TransparentAtDesign() const;
    bool GetTransparentAtPrint() const;
    void SetTransparentAtPrint(bool v);
    int32_t GridSpacingX() const;
    int32_t GridSpacingY() const;
    int32_t LayerMode() const; // tvlLayerMode: 1 LP, 0 AP
    uint32_t GetBackColor() const;
    void SetBackColor(uint32_t oleColor);
    std::string Name() const; // UTF-8
    std::vector<std::shared_ptr<CXObject>> TvObjects();
    int32_t PrintDpiX() const;
    int32_t PrintDpiY() const;
    void MoveTop();
    void MoveBottom();

    // The engine layer, once the control is attached (else 0x800A03E9 /
    // 20017) and then the form open (else 0x800A03E8 / 20008).
    TvLayer& AttachedLayer() const;
    CXForm& Form() const { return *m_pForm; }
    // True when the engine layer is in free placement (AP) mode.
    bool IsApMode() const;
    TvLayer* EngineLayer() const { return m_pLayer; }
    // The stored name (CP932) while attached to an open form, else empty.
    std::string EngineName() const;

private:
    void SetFlag(uint16_t id, bool v);

    std::shared_ptr<CXForm> m_pForm;
    TvLayer* m_pLayer;
};

} // namespace nv
