// `quorvel convert photons.dat run.h5`: writes a binary collection file as a
// NeXus/HDF5 event file.
#ifndef TOOLS_CONVERTCOMMAND_H
#define TOOLS_CONVERTCOMMAND_H

#include <QStringList>

namespace tool {

class ConvertCommand {
public:
    static int run(const QStringList& a_Arguments);
};

} // namespace tool

#endif
