#include "tools/camera/embeddedcamera.h"

#include "camsim/virtualcamera.h"

#include <QRandomGenerator>

namespace tool {

std::unique_ptr<camsim::VirtualCamera> EmbeddedCamera::start(camsim::CameraConfig a_Config, bool a_FindAddress,
                                                             QString* a_Error)
{
    // The camera's ports are fixed, so each camera needs an address of its own;
    // 127.0.0.x is left to the machine's own services.
    const int attempts = a_FindAddress ? 32 : 1;
    QString error;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (a_FindAddress) {
            QRandomGenerator* random = QRandomGenerator::global();
            a_Config.address = QStringLiteral("127.%1.%2.%3")
                                   .arg(random->bounded(1, 255))
                                   .arg(random->bounded(0, 256))
                                   .arg(random->bounded(1, 255));
        }
        auto camera = std::make_unique<camsim::VirtualCamera>(a_Config);
        if (camera->start(&error))
            return camera;
    }
    *a_Error = QStringLiteral("cannot start the virtual camera on %1: %2")
                   .arg(a_FindAddress ? QStringLiteral("a loopback address") : a_Config.address, error);
    return nullptr;
}

} // namespace tool
