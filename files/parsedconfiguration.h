// A configuration file as read, before anything of it is applied: plain values
// in file order, old-style values already converted to steps. Enumerations
// stay ints here; the setters that apply them decide what they accept.
#ifndef QUORVEL_PARSEDCONFIGURATION_H
#define QUORVEL_PARSEDCONFIGURATION_H

#include <QByteArray>
#include <QtGlobal>

#include <vector>

#include "acquisition/photon.h"

struct ParsedSysConfig
{
    bool m_DebugMode = false;
    int m_MBMultiplexerAddressType = 0;
    int m_PacketTransferRate = 0;       // converted to a rate for old formats
    int m_TokenType = 0;
    bool m_HasPixelMappingMode = false; // format version 6 and above
    int m_PixelMappingMode = 0;
};

// The part both channel groups share.
struct ParsedChannelGroup
{
    int m_TestPulseStep = 0;
    int m_PeakDetectTimeout = 0;
    int m_TimeDetectRampLength = 0;
    double m_PeakingTime = 0.0;
};

struct ParsedAnodeChannel
{
    int m_Options = 0;
    int m_PositivePulseThresholdTrimStep = 0;
    int m_SignalMonitored = 0;
    int m_NegativePulseThresholdTrimStep = 0;
};

struct ParsedAnodeData
{
    ParsedChannelGroup m_Group;
    int m_TestPulseEdge = 0;
    int m_PositiveEnergyThresholdStep = 0;
    int m_NegativeEnergyThresholdStep = 0;
    // At most the ASIC's anode channels; records beyond them are read and dropped.
    std::vector<ParsedAnodeChannel> m_Channels;
};

struct ParsedCathodeChannel
{
    int m_Options = 0;
    int m_PositivePulseThresholdTrimStep = 0;
    int m_ShapedTimingSignal = 0;
    int m_TimingMode = 0;
    int m_TimingUnipolarThresholdTrimStep = 0;
    int m_TimingFirstMultiThresholdTrimStep = 0;
    int m_TimingSecondMultiThresholdTrimStep = 0;
    int m_TimingThirdMultiThresholdTrimStep = 0;
    int m_InternalLeakageCurrentGenerator = 0;
};

struct ParsedCathodeData
{
    ParsedChannelGroup m_Group;
    int m_TestModeInput = 0;
    int m_TimingShaperPeakingTime = 0;
    int m_EnergyThresholdStep = 0;
    int m_TimingUnipolarThresholdStep = 0;
    int m_TimingPrimaryBiPolarMultiThresholdStep = 0;
    int m_TimingSecondaryMultiThresholdDisplacementStep = 0;
    std::vector<ParsedCathodeChannel> m_Channels;
};

// The monitor block: four values from format version 2 on, a monitor code
// and an anode channel before.
struct ParsedAnalogOutput
{
    bool m_IsMonitorCode = false;
    int m_MonitorCode = 0;
    int m_AnalogOutput = 0;
    int m_DAC = 0;
    int m_CathodeEnergyTiming = 0;
    int m_AnodeChannel = 0;
};

struct ParsedASIC
{
    int m_CathodeTestClockType = 0;
    int m_GlobalOptions = 0;
    int m_ReadoutMode = 0;
    ParsedAnalogOutput m_AnalogOutput;
    int m_TimingChannelUnipolarGain = 0;
    int m_TimingChannelBiPolarGain = 0;
    int m_ChannelGain = 0;
    int m_InternalLeakageCurrentGenerator = 0;
    int m_MultipleFiringSuppressTime = 0;
    ParsedAnodeData m_Anode;
    ParsedCathodeData m_Cathode;
};

struct ParsedGM
{
    int m_ID = 0;
    int m_Options = 0;
    int m_ReadoutOptions = 0;
    int m_ReadoutMode = 0;
    int m_CathodeMode = 0;
    int m_PulserFrequency = 0;
    int m_PulserOptions = 0;
    int m_DelayTime = 0;
    int m_TimestampResolution = 0;
    int m_NoOfPulses = 0;
    int m_DefaultGM = 0;
    int m_ADC1Channel = 0;
    int m_ADC2Channel = 0;
    ParsedASIC m_ASIC;
};

struct ParsedPacket
{
    quint8 m_GMID = 0;
    quint8 m_HeaderByte = 0;
    quint16 m_HeaderWord = 0;
    int m_NoOfPhotons = 0;   // the next photons of ParsedPackets::m_Photons
};

struct ParsedPackets
{
    // False when the file ends after the GM section, or says it holds no
    // packets: the store is then left alone.
    bool m_Present = false;
    std::vector<ParsedPacket> m_Packets;
    std::vector<Photon> m_Photons;   // every packet's photons, in file order
};

struct ParsedConfiguration
{
    int m_FormatVersion = 0;
    int m_StreamVersion = 0;
    QByteArray m_CameraIPAddress;    // UTF-8
    int m_GMUpdateType = 0;
    ParsedSysConfig m_SysConfig;
    std::vector<ParsedGM> m_GMs;
    ParsedPackets m_Packets;
};

#endif // QUORVEL_PARSEDCONFIGURATION_H
