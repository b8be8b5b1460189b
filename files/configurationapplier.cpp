#include "files/configurationapplier.h"

#include "acquisition/collectedpackets.h"
#include "core/quorvelsysconfig.h"

void ConfigurationApplier::ApplySysConfig(const ParsedSysConfig& a_Record, QuorvelSysConfig* a_pSysConfig)
{
    a_pSysConfig->SetDebugMode(a_Record.m_DebugMode);
    a_pSysConfig->SetMBMultiplexerAddressType(static_cast<MBMultiplexerAddrType>(a_Record.m_MBMultiplexerAddressType));
    a_pSysConfig->SetPacketTransferRate(a_Record.m_PacketTransferRate);
    a_pSysConfig->SetTokenType(static_cast<SysTokenType>(a_Record.m_TokenType));
    if (a_Record.m_HasPixelMappingMode)
        a_pSysConfig->SetPixelMappingMode(static_cast<PixelMappingMode>(a_Record.m_PixelMappingMode));
}

bool ConfigurationApplier::ApplyPackets(const ParsedPackets& a_Packets, CollectedPackets* a_pStore)
{
    if (!a_Packets.m_Present)
        return true;
    a_pStore->Clear();
    const Photon* photons = a_Packets.m_Photons.data();
    for (const ParsedPacket& packet : a_Packets.m_Packets) {
        if (!a_pStore->AddPacket(packet.m_GMID, packet.m_HeaderWord, packet.m_HeaderByte, photons,
                                 packet.m_NoOfPhotons)) {
            a_pStore->Clear();
            return false;
        }
        photons += packet.m_NoOfPhotons;
    }
    return true;
}
