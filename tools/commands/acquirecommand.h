// `quorvel acquire`: connect, power up, apply settings, collect for a while, stop,
// save the photons, the configuration and the pictures, and print a summary.
#ifndef TOOLS_ACQUIRECOMMAND_H
#define TOOLS_ACQUIRECOMMAND_H

#include <QStringList>

namespace tool {

class AcquireCommand {
public:
    static int run(const QStringList& a_Arguments);
};

} // namespace tool

#endif
