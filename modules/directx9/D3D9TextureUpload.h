#pragma once
#include <d3d9.h>

#include <cstdint>

#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

class Image;
class VolumeImage;

// Builds device textures from images: the pixels go into a system-memory texture (converted by
// D3D9Pixels, rows turned top-down), MipFilter makes the lower mip levels there, and the device
// copies the whole chain into a texture of the default pool, which the caller enters in the
// renderer's default-pool table. Mip levels: 0 for a full chain, else that many (1 for none).
// Each function logs its failure ("Невозможно создать системную текстуру для обновления
// изображения текстуры [%s]." when the system-memory copy cannot be made) and returns kFailure;
// an image without pixels uploads as black.
class D3D9TextureUpload {
public:
    // `wide`: the device takes A16B16G16R16 textures.
    static Result Create2D(IDirect3DDevice9* device, const Image& image, int32_t levels, bool wide,
                           const String& name, IDirect3DTexture9** out);
    // Six slices, square, in the order +X, -X, +Y, -Y, +Z, -Z.
    static Result CreateCube(IDirect3DDevice9* device, const VolumeImage& image, int32_t levels, bool wide,
                             const String& name, IDirect3DCubeTexture9** out);
    static Result CreateVolume(IDirect3DDevice9* device, const VolumeImage& image, int32_t levels, bool wide,
                               const String& name, IDirect3DVolumeTexture9** out);
};

}  // namespace zen
