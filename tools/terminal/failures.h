// The texts of the tool's failures in one table, each naming the cause in words a
// user can act on. The commands fill in the blanks (%1, %2, ...).
#ifndef TOOLS_FAILURES_H
#define TOOLS_FAILURES_H

#include <QString>
#include <initializer_list>

namespace tool {

enum class Failure {
    FolderNotEmpty,       // folder
    FolderHasOtherFiles,  // folder, a file that is not from a run
    FolderCannotCreate,   // folder, reason
    FolderNotWritable,    // folder, reason
    FileCannotRemove,     // file, reason
    NotEnoughSpace,       // needed, folder, free
    SpaceWarning,         // needed, folder, free
    WriteFailed,          // file, reason, records kept
    SystemSwitchedOff,
    CameraSilent,         // seconds
    ControlLinkDropped,
    StreamDidNotEnd,      // photons kept
    NoPhotons,
    NotPhotonRecords,     // file, byte offset, what is wrong
    EmptyCollection,      // file
    PartialRecord,        // file, bytes left over
    CsvUnfinished,        // file, reason
};

class Failures {
public:
    static QString text(Failure a_Failure, std::initializer_list<QString> a_Arguments = {});
};

} // namespace tool

#endif
