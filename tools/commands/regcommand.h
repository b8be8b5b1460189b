// `quorvel reg read|write`: direct access to system registers and GM registers.
#ifndef TOOLS_REGCOMMAND_H
#define TOOLS_REGCOMMAND_H

#include <QStringList>

namespace tool {

class RegCommand {
public:
    static int run(const QStringList& a_Arguments);
};

} // namespace tool

#endif
