// `quorvel camsim`: the virtual camera on its own, until Ctrl-C.
#ifndef TOOLS_CAMSIMCOMMAND_H
#define TOOLS_CAMSIMCOMMAND_H

#include <QStringList>

namespace tool {

class CamsimCommand {
public:
    static int run(const QStringList& a_Arguments);
};

} // namespace tool

#endif
