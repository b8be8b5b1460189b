// Reads the GM section of a configuration file: the GM count and every GM
// record with its ASIC and channel records, into parsed values. Counts come
// from the file and are trusted only as far as their records are present.
#ifndef QUORVEL_GMSECTIONREADER_H
#define QUORVEL_GMSECTIONREADER_H

#include <vector>

#include "files/parsedconfiguration.h"

class RecordReader;

class GMSectionReader
{
public:
    // False with the reason in the reader's last error.
    static bool LoadGammaModules(RecordReader& a_Reader, int a_FormatVersion, std::vector<ParsedGM>* a_pGMs);

private:
    static void LoadGM(RecordReader& a_Reader, ParsedGM* a_pGM);
    static bool LoadASIC(RecordReader& a_Reader, int a_FormatVersion, ParsedASIC* a_pASIC);
    static void ReadAnalogOutputData(RecordReader& a_Reader, int a_FormatVersion, ParsedAnalogOutput* a_pOutput);
    static void LoadChannelData(RecordReader& a_Reader, int a_FormatVersion, ParsedChannelGroup* a_pGroup);
    static bool LoadAnodeChannelData(RecordReader& a_Reader, int a_FormatVersion, ParsedAnodeData* a_pData);
    static bool LoadCathodeChannelData(RecordReader& a_Reader, int a_FormatVersion, ParsedCathodeData* a_pData);
    // Reads a channel count; false (with the message) if it is missing or negative.
    static bool ReadChannelCount(RecordReader& a_Reader, const char* a_Kind, int* a_pCount);
    // A threshold or test pulse step: an int, or a float in old formats.
    static int ReadStep(RecordReader& a_Reader, int a_FormatVersion);
    static int ReadPulseTrim(RecordReader& a_Reader, int a_FormatVersion);
    static int ReadTimingTrim(RecordReader& a_Reader, int a_FormatVersion);
};

#endif // QUORVEL_GMSECTIONREADER_H
