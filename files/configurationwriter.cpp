#include "files/configurationwriter.h"

#include <QtEndian>

#include <algorithm>

#include "acquisition/collectedpackets.h"
#include "asic/asic.h"
#include "core/quorvelsysconfig.h"
#include "files/configurationformat.h"
#include "gammamodule/gammamodule.h"

namespace {

// Packet records are encoded by hand into a buffer: the same bytes as the
// stream's operators, without a device call per value.
class PacketBuffer
{
public:
    explicit PacketBuffer(QDataStream* a_pStream) : m_pStream(a_pStream) { m_Bytes.reserve(CAPACITY + 64); }
    ~PacketBuffer() { Flush(); }

    void Int(qint32 a_Value)
    {
        char bytes[4];
        qToBigEndian(a_Value, bytes);
        m_Bytes.insert(m_Bytes.end(), bytes, bytes + 4);
    }
    void Bool(bool a_Value) { m_Bytes.push_back(a_Value ? 1 : 0); }
    void FlushIfFull()
    {
        if (m_Bytes.size() >= CAPACITY)
            Flush();
    }
    void Flush()
    {
        if (!m_Bytes.empty())
            m_pStream->writeRawData(m_Bytes.data(), static_cast<int>(m_Bytes.size()));
        m_Bytes.clear();
    }

private:
    static constexpr size_t CAPACITY = 1 << 20;
    QDataStream* m_pStream;
    std::vector<char> m_Bytes;
};

} // namespace

ConfigurationWriter::ConfigurationWriter(QIODevice* a_pDevice)
    : m_Stream(a_pDevice)
{
}

void ConfigurationWriter::SaveHeader(const QByteArray& a_CameraIPAddress, int a_GMUpdateType)
{
    m_Stream << ConfigurationFormat::MAGIC << ConfigurationFormat::FORMAT_VERSION
             << ConfigurationFormat::STREAM_VERSION;
    m_Stream << a_CameraIPAddress.constData();
    m_Stream << static_cast<qint32>(a_GMUpdateType);
}

void ConfigurationWriter::SaveSysConfig(const QuorvelSysConfig& a_SysConfig)
{
    m_Stream << a_SysConfig.IsDebugModeActive() << static_cast<qint32>(a_SysConfig.GetMBMultiplexerAddress())
             << static_cast<qint32>(a_SysConfig.GetPacketTransferRate())
             << static_cast<qint32>(a_SysConfig.GetTokenType())
             << static_cast<qint32>(a_SysConfig.GetPixelMappingMode());
}

void ConfigurationWriter::SaveGammaModules(const std::vector<GammaModule*>& a_GMs)
{
    std::vector<const GammaModule*> inIDOrder(a_GMs.begin(), a_GMs.end());
    std::stable_sort(inIDOrder.begin(), inIDOrder.end(),
                     [](const GammaModule* a_Left, const GammaModule* a_Right) {
                         return a_Left->GetID() < a_Right->GetID();
                     });
    m_Stream << static_cast<qint32>(inIDOrder.size());
    for (const GammaModule* gm : inIDOrder)
        SaveGM(*gm);
}

void ConfigurationWriter::SaveGM(const GammaModule& a_GM)
{
    m_Stream << static_cast<qint32>(a_GM.GetID()) << static_cast<qint32>(a_GM.GetOptions())
             << static_cast<qint32>(a_GM.GetReadoutOption()) << static_cast<qint32>(a_GM.GetReadoutMode())
             << static_cast<qint32>(a_GM.GetCathodeMode()) << static_cast<qint32>(a_GM.GetPulserFrequency())
             << static_cast<qint32>(a_GM.GetPulserOption()) << static_cast<qint32>(a_GM.GetDelayTime())
             << static_cast<qint32>(a_GM.GetTimestampResolution()) << static_cast<qint32>(a_GM.GetNoOfPulses())
             << static_cast<qint32>(a_GM.GetDefaultGM()) << static_cast<qint32>(a_GM.GetADC1Channel())
             << static_cast<qint32>(a_GM.GetADC2Channel());
    SaveASIC(a_GM.GetASIC());
}

void ConfigurationWriter::SaveASIC(const ASIC& a_ASIC)
{
    m_Stream << static_cast<qint32>(a_ASIC.GetCathodeTestClockType()) << static_cast<qint32>(a_ASIC.GetGlobalOptions())
             << static_cast<qint32>(a_ASIC.GetReadoutMode());
    m_Stream << static_cast<qint32>(a_ASIC.GetAnalogOutputMonitored()) << static_cast<qint32>(a_ASIC.GetDACMonitored())
             << static_cast<qint32>(a_ASIC.GetCathodeEnergyTimingMonitored())
             << static_cast<qint32>(a_ASIC.GetAnodeChannelMonitored());
    m_Stream << static_cast<qint32>(a_ASIC.GetTimingChannelUnipolarGain())
             << static_cast<qint32>(a_ASIC.GetTimingChannelBiPolarGain())
             << static_cast<qint32>(a_ASIC.GetChannelGain())
             << static_cast<qint32>(a_ASIC.GetInternalLeakageCurrentGenerator())
             << static_cast<qint32>(a_ASIC.GetMultipleFiringSuppressTime());
    SaveAnodeChannelData(a_ASIC.GetAnodeChannelData());
    SaveCathodeChannelData(a_ASIC.GetCathodeChannelData());
}

void ConfigurationWriter::SaveChannelData(const ASICChannelData& a_Data)
{
    m_Stream << static_cast<qint32>(a_Data.GetTestPulseStep()) << static_cast<qint32>(a_Data.GetPeakDetectTimeout())
             << static_cast<qint32>(a_Data.GetTimeDetectRampLength()) << a_Data.GetPeakingTime();
}

void ConfigurationWriter::SaveAnodeChannelData(const ASICAnodeData& a_Data)
{
    SaveChannelData(a_Data);
    m_Stream << static_cast<qint32>(a_Data.GetTestPulseEdge())
             << static_cast<qint32>(a_Data.GetPositiveEnergyThresholdStep())
             << static_cast<qint32>(a_Data.GetNegativeEnergyThresholdStep());
    m_Stream << static_cast<qint32>(a_Data.GetNoOfChannels());
    for (int channelNo = 1; channelNo <= a_Data.GetNoOfChannels(); ++channelNo) {
        const ASICAnodeChannel& channel = a_Data.GetChannel(channelNo);
        m_Stream << static_cast<qint32>(channel.GetOptions())
                 << static_cast<qint32>(channel.GetPostivePulseThresholdTrimStep())
                 << static_cast<qint32>(channel.GetSignalMonitored())
                 << static_cast<qint32>(channel.GetNegativePulseThresholdTrimStep());
    }
}

void ConfigurationWriter::SaveCathodeChannelData(const ASICCathodeData& a_Data)
{
    SaveChannelData(a_Data);
    m_Stream << static_cast<qint32>(a_Data.GetTestModeInput())
             << static_cast<qint32>(a_Data.GetTimingShaperPeakingTime())
             << static_cast<qint32>(a_Data.GetEnergyThresholdStep())
             << static_cast<qint32>(a_Data.GetTimingUnipolarThresholdStep())
             << static_cast<qint32>(a_Data.GetTimingPrimaryBiPolarMultiThresholdStep())
             << static_cast<qint32>(a_Data.GetTimingSecondaryMultiThresholdDisplacementStep());
    m_Stream << static_cast<qint32>(a_Data.GetNoOfChannels());
    for (int channelNo = 1; channelNo <= a_Data.GetNoOfChannels(); ++channelNo) {
        const ASICCathodeChannel& channel = a_Data.GetChannel(channelNo);
        m_Stream << static_cast<qint32>(channel.GetOptions())
                 << static_cast<qint32>(channel.GetPostivePulseThresholdTrimStep())
                 << static_cast<qint32>(channel.GetShapedTimingSignal())
                 << static_cast<qint32>(channel.GetTimingMode())
                 << static_cast<qint32>(channel.GetTimingUnipolarThresholdTrimStep())
                 << static_cast<qint32>(channel.GetTimingFirstMultiThresholdTrimStep())
                 << static_cast<qint32>(channel.GetTimingSecondMultiThresholdTrimStep())
                 << static_cast<qint32>(channel.GetTimingThirdMultiThresholdTrimStep())
                 << static_cast<qint32>(channel.GetInternalLeakageCurrentGenerator());
    }
}

void ConfigurationWriter::SavePackets(const CollectedPackets& a_Store)
{
    if (a_Store.GetSize() == 0)
        return;
    PacketBuffer buffer(&m_Stream);
    buffer.Int(a_Store.GetSize());
    for (const Packet& packet : a_Store.GetPackets()) {
        buffer.Int(packet.m_GMID);
        buffer.Int(packet.m_HeaderWord);
        buffer.Int(packet.m_HeaderByte);
        buffer.Int(packet.GetNoOfPhotons());
        for (const Photon& photon : packet) {
            buffer.Int(static_cast<quint16>(photon.m_Pixel));
            buffer.Int(photon.m_Energy);
            buffer.Bool(photon.m_PositiveEnergy != 0);
            buffer.Int(photon.m_TimeDetect);
            buffer.Bool(photon.m_PositiveTimeDetect != 0);
        }
        buffer.FlushIfFull();
    }
}

bool ConfigurationWriter::Ok() const
{
    return m_Stream.status() == QDataStream::Ok;
}
