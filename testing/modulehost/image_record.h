// The image records the host hands the module, and the host's copy between
// them.
#pragma once

#include "host/pf_types.h"

namespace modulehost {

// An image record as the host fills it: the members an image is made of, and
// poison in every other byte.
PF_LayerDef ImageRecord(bool deep, void* first_pixel, A_long width, A_long height, A_long rowbytes);

// Copies the image area (not the padding) of `src` into `dst`, over the rows
// and columns both have, as the host's copy callback does.
void CopyImage(const PF_LayerDef& src, PF_LayerDef& dst);

}  // namespace modulehost
