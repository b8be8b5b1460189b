// `quorvel status`: GMs found, firmware versions, GM status and both GM ADC readings.
#ifndef TOOLS_STATUSCOMMAND_H
#define TOOLS_STATUSCOMMAND_H

#include <QStringList>

namespace tool {

class StatusCommand {
public:
    static int run(const QStringList& a_Arguments);
};

} // namespace tool

#endif
