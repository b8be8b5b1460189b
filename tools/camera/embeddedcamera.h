// The virtual camera run inside the tool when no --camera is given: it listens on a
// loopback address of its own (127.a.b.c) where the camera's fixed ports are free.
#ifndef TOOLS_EMBEDDEDCAMERA_H
#define TOOLS_EMBEDDEDCAMERA_H

#include "camsim/cameraconfig.h"

#include <QString>
#include <memory>

namespace camsim {
class VirtualCamera;
}

namespace tool {

class EmbeddedCamera {
public:
    // Starts the camera on a_Config.address, or on a free loopback address when
    // a_FindAddress is set. Null with a message in a_Error if it cannot listen.
    static std::unique_ptr<camsim::VirtualCamera> start(camsim::CameraConfig a_Config, bool a_FindAddress,
                                                        QString* a_Error);
};

} // namespace tool

#endif
