// Writes photons.csv from photons.dat after the collection, one line per photon:
// "gm,headerword,index,pixel,energy,posenergy,timedetect,postimedetect", the
// index counting the photons of a packet (a run of records with the same GM and
// header word). A file that cannot be finished is renamed photons.csv.partial.
#ifndef TOOLS_CSVWRITER_H
#define TOOLS_CSVWRITER_H

#include <QString>
#include <functional>

namespace tool {

class CsvWriter {
public:
    struct Result {
        bool ok = false;
        qint64 lines = 0;
        QString partialPath; // the renamed file when it could not be finished
        QString note;        // why not
    };

    // a_Stop is asked between batches; when it says yes the file is left partial.
    static Result write(const QString& a_Photons, const QString& a_Csv, const std::function<bool()>& a_Stop);
};

} // namespace tool

#endif
