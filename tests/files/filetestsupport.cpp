#include "tests/files/filetestsupport.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <vector>

#include "acquisition/collectedpackets.h"
#include "files/configurationreader.h"
#include "gammamodule/gammamodules.h"

namespace filetest {

QByteArray testData(const char* a_Name)
{
    return readFile(QStringLiteral(QUORVEL_TEST_DATA_DIR "/") + QLatin1String(a_Name));
}

QByteArray withCameraAddress(const QByteArray& a_File, const QString& a_Address)
{
    const int oldLength = intAt(a_File, 12);
    QByteArray address = a_Address.toUtf8();
    address.append('\0');
    QByteArray result = a_File.left(12);
    result.append(4, '\0');
    setInt(&result, 12, address.size());
    result.append(address);
    result.append(a_File.mid(16 + oldLength));
    return result;
}

void setInt(QByteArray* a_pFile, int a_Offset, qint32 a_Value)
{
    qToBigEndian(a_Value, a_pFile->data() + a_Offset);
}

qint32 intAt(const QByteArray& a_File, int a_Offset)
{
    return qFromBigEndian<qint32>(a_File.constData() + a_Offset);
}

bool parse(const QByteArray& a_File, ParsedConfiguration* a_pConfig, QString* a_pError)
{
    QByteArray bytes = a_File;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    ConfigurationReader reader;
    const bool parsed = reader.Read(&buffer, a_pConfig);
    if (a_pError)
        *a_pError = reader.GetLastError();
    return parsed;
}

void setDeviceGMs(const QVector<int>& a_IDs)
{
    GammaModules* gms = GammaModules::GetInstance();
    const auto lock = gms->AccessLock();
    gms->Clear(GAMMA_MODULES_TYPE_DEVICE);
    for (int id : a_IDs)
        gms->AddGammaModule(GAMMA_MODULES_TYPE_DEVICE, new GammaModule(id));
}

Photon photon(int a_Pixel, int a_Energy, bool a_Positive, int a_TimeDetect, bool a_PositiveTimeDetect)
{
    Photon result;
    result.m_Pixel = static_cast<qint16>(static_cast<quint16>(a_Pixel));
    result.m_Energy = static_cast<quint16>(a_Energy);
    result.m_PositiveEnergy = a_Positive ? 1 : 0;
    result.m_TimeDetect = static_cast<quint16>(a_TimeDetect);
    result.m_PositiveTimeDetect = a_PositiveTimeDetect ? 1 : 0;
    return result;
}

void fillStore(int a_Count, int a_Photons)
{
    CollectedPackets* store = CollectedPackets::GetInstance();
    const auto lock = store->AccessLock();
    store->Clear();
    std::vector<Photon> photons;
    for (int index = 0; index < a_Count; ++index) {
        photons.clear();
        for (int k = 0; k < a_Photons; ++k)
            photons.push_back(photon((index * 7 + k) % 65536, (index + 3 * k) % 4096, k % 2 == 0, k % 1000, k % 3 == 0));
        store->AddPacket(static_cast<quint8>(1 + index % 4), static_cast<quint16>(index), static_cast<quint8>(index),
                         photons.data(), a_Photons);
    }
}

void clearStore()
{
    CollectedPackets* store = CollectedPackets::GetInstance();
    const auto lock = store->AccessLock();
    store->Clear();
}

QString tempPath(const QString& a_Name)
{
    static QTemporaryDir dir;
    return dir.filePath(a_Name);
}

QByteArray readFile(const QString& a_Path)
{
    QFile file(a_Path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void writeFile(const QString& a_Path, const QByteArray& a_Bytes)
{
    QFile file(a_Path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(a_Bytes);
}

} // namespace filetest
