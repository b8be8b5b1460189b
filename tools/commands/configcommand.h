// `quorvel config save|load`: the configuration file of the camera and its GMs.
#ifndef TOOLS_CONFIGCOMMAND_H
#define TOOLS_CONFIGCOMMAND_H

#include <QStringList>

namespace tool {

class ConfigCommand {
public:
    static int run(const QStringList& a_Arguments);
};

} // namespace tool

#endif
