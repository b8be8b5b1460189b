// Writes a configuration file of the current format version: header, system
// configuration, GM section and, when packets were collected, the packet
// section. Ok() tells whether every value reached the device.
#ifndef QUORVEL_CONFIGURATIONWRITER_H
#define QUORVEL_CONFIGURATIONWRITER_H

#include <QByteArray>
#include <QDataStream>

#include <vector>

class ASIC;
class ASICAnodeData;
class ASICCathodeData;
class ASICChannelData;
class CollectedPackets;
class GammaModule;
class QIODevice;
class QuorvelSysConfig;

class ConfigurationWriter
{
public:
    explicit ConfigurationWriter(QIODevice* a_pDevice);
    ConfigurationWriter(const ConfigurationWriter&) = delete;
    ConfigurationWriter& operator=(const ConfigurationWriter&) = delete;

    void SaveHeader(const QByteArray& a_CameraIPAddress, int a_GMUpdateType);
    void SaveSysConfig(const QuorvelSysConfig& a_SysConfig);
    // Each GM once, in ascending ID order (the GammaModules lock held).
    void SaveGammaModules(const std::vector<GammaModule*>& a_GMs);
    // Nothing when the store is empty (the store's lock held).
    void SavePackets(const CollectedPackets& a_Store);

    bool Ok() const;

private:
    void SaveGM(const GammaModule& a_GM);
    void SaveASIC(const ASIC& a_ASIC);
    void SaveChannelData(const ASICChannelData& a_Data);
    void SaveAnodeChannelData(const ASICAnodeData& a_Data);
    void SaveCathodeChannelData(const ASICCathodeData& a_Data);

    QDataStream m_Stream;
};

#endif // QUORVEL_CONFIGURATIONWRITER_H
