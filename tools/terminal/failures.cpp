#include "tools/terminal/failures.h"

#include <iterator>

namespace tool {

namespace {
struct Entry {
    Failure failure;
    const char* text;
};

constexpr Entry table[] = {
    {Failure::FolderNotEmpty, "the output folder %1 is not empty; give --overwrite to replace the run in it, or "
                              "choose another folder"},
    {Failure::FolderHasOtherFiles, "the output folder %1 holds %2, which is not a file of a run; --overwrite "
                                   "replaces only a run's files, so choose another folder"},
    {Failure::FolderCannotCreate, "cannot create the output folder %1: %2"},
    {Failure::FolderNotWritable, "cannot write in the output folder %1: %2"},
    {Failure::FileCannotRemove, "cannot remove %1 of the old run: %2"},
    {Failure::NotEnoughSpace, "the run needs up to %1 in %2 but only %3 are free; shorten it, lower "
                              "--packet-rate, or give --force to collect anyway"},
    {Failure::SpaceWarning, "warning: the run needs up to %1 in %2, more than 80 % of the %3 free"},
    {Failure::WriteFailed, "cannot write %1: %2; the collection was stopped and the file keeps its first %3 photons"},
    {Failure::SystemSwitchedOff, "the camera switched its system off (another program may have initialised it); "
                                 "the photons collected until then are saved"},
    {Failure::CameraSilent, "the camera sent nothing for %1 s (it may have been stopped, switched off or "
                            "unplugged); the photons collected until then are saved"},
    {Failure::ControlLinkDropped, "the camera closed the control connection (it may have been switched off, "
                                  "restarted or taken over by another program); the photons collected until then "
                                  "are saved"},
    {Failure::StreamDidNotEnd, "the library did not end the photon stream after the stop; %1 photons are saved"},
    {Failure::NoPhotons, "no photons were collected (is the camera's source on and the data port reachable?)"},
    {Failure::NotPhotonRecords, "%1 is not a photon collection: the record at byte %2 has %3"},
    {Failure::EmptyCollection, "%1 holds no photons"},
    {Failure::PartialRecord, "warning: %1 ends with %2 bytes of a cut record; read up to its last whole record"},
    {Failure::CsvUnfinished, "cannot finish %1: %2"},
};
} // namespace

QString Failures::text(Failure a_Failure, std::initializer_list<QString> a_Arguments)
{
    QString text;
    for (const Entry& entry : table)
        if (entry.failure == a_Failure)
            text = QString::fromUtf8(entry.text);
    for (const QString& argument : a_Arguments)
        text = text.arg(argument);
    return text;
}

} // namespace tool
