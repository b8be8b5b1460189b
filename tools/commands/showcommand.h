// `quorvel show FILE`: draws flood.png and spectrum.png from a saved binary collection.
#ifndef TOOLS_SHOWCOMMAND_H
#define TOOLS_SHOWCOMMAND_H

#include <QStringList>

namespace tool {

class ShowCommand {
public:
    static int run(const QStringList& a_Arguments);
};

} // namespace tool

#endif
