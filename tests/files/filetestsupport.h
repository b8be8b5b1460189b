// Helpers of the file tests: the hand-made files of tests/data, byte patches
// at the places the file layout fixes, a parse of bytes in memory, and test
// GMs and packets in the process-wide containers.
#ifndef QUORVEL_TEST_FILETESTSUPPORT_H
#define QUORVEL_TEST_FILETESTSUPPORT_H

#include <QByteArray>
#include <QString>
#include <QVector>

#include "files/parsedconfiguration.h"

namespace filetest {

// Offsets in the hand-made version 6 files (camera address "127.0.0.6").
constexpr int V6_GM_COUNT_OFFSET = 47;
constexpr int V6_FIRST_GM_OFFSET = 51;
constexpr int V6_GM_RECORD_SIZE = 2304;
// Within a GM record of version 6.
constexpr int GM_ANODE_COUNT_OFFSET = 132;
constexpr int GM_CATHODE_COUNT_OFFSET = 2228;
// The packet file: GM 1 carries 130 anode and 3 cathode channel records.
constexpr int PACKET_FILE_GM_SECTION_END = 9335;

QByteArray testData(const char* a_Name);
// A copy of the file with another camera address in its header.
QByteArray withCameraAddress(const QByteArray& a_File, const QString& a_Address);
void setInt(QByteArray* a_pFile, int a_Offset, qint32 a_Value);
qint32 intAt(const QByteArray& a_File, int a_Offset);

// Parses bytes in memory; on failure the message goes to *a_pError.
bool parse(const QByteArray& a_File, ParsedConfiguration* a_pConfig, QString* a_pError = nullptr);

// Replaces the device GMs with new ones of these IDs, in this order.
void setDeviceGMs(const QVector<int>& a_IDs);

// Photon of the store.
Photon photon(int a_Pixel, int a_Energy, bool a_Positive, int a_TimeDetect, bool a_PositiveTimeDetect);
// Replaces the store's packets with a_Count packets of a_Photons photons each.
void fillStore(int a_Count, int a_Photons);
void clearStore();

// A file name in a temporary directory that lives as long as the process.
QString tempPath(const QString& a_Name);
QByteArray readFile(const QString& a_Path);
void writeFile(const QString& a_Path, const QByteArray& a_Bytes);

} // namespace filetest

#endif
