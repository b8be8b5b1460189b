#include "test_decoderreference.h"

#include <algorithm>

#include "acquisition/collectedpackets.h"
#include "acquisition/pixelmap.h"
#include "asic/detectorcalcs.h"
#include "gammamodule/gammamodules.h"

namespace decodertest {

namespace {

int GMPixelOf(int a_Channel)
{
    for (int index = 0; index < 121; ++index) {
        if (PixelMap::CHANNEL_AT_GM_PIXEL[static_cast<size_t>(index)] == a_Channel)
            return index + 1;
    }
    return -1;
}

} // namespace

const RefGM* FindGM(const std::vector<RefGM>& a_GMs, int a_ID)
{
    if (a_GMs.empty())
        return nullptr;
    for (const RefGM& gm : a_GMs) {
        if (gm.m_ID == a_ID)
            return &gm;
    }
    return &a_GMs.back();
}

bool InstallGMs(const std::vector<RefGM>& a_GMs, bool a_Loaded)
{
    const GammaModulesType type = a_Loaded ? GAMMA_MODULES_TYPE_LOADED : GAMMA_MODULES_TYPE_DEVICE;
    GammaModules* gms = GammaModules::GetInstance();
    auto lock = gms->AccessLock();
    gms->Clear(GAMMA_MODULES_TYPE_DEVICE);
    gms->Clear(GAMMA_MODULES_TYPE_LOADED);
    bool accepted = true;
    for (const RefGM& ref : a_GMs) {
        auto* gm = new GammaModule(ref.m_ID);
        accepted = gm->SetOptions(ref.m_Options) && accepted;
        accepted = gm->SetReadoutOptions(ref.m_ReadoutOptions) && accepted;
        gms->AddGammaModule(type, gm);
    }
    gms->SetActiveGMs(type);
    return accepted;
}

std::vector<RefPacket> StoredPackets()
{
    std::vector<RefPacket> packets;
    CollectedPackets* store = CollectedPackets::GetInstance();
    auto lock = store->AccessLock();
    for (const Packet& packet : store->GetPackets())
        packets.push_back({packet.m_GMID, packet.m_HeaderWord, packet.m_HeaderByte, {packet.begin(), packet.end()}});
    return packets;
}

const char* FirstDifference(const std::vector<RefPacket>& a_Actual, const std::vector<RefPacket>& a_Expected,
                            size_t* a_pPacket)
{
    *a_pPacket = std::min(a_Actual.size(), a_Expected.size());
    if (a_Actual.size() != a_Expected.size())
        return "packet count";
    for (size_t index = 0; index < a_Actual.size(); ++index) {
        *a_pPacket = index;
        const RefPacket& actual = a_Actual[index];
        const RefPacket& expected = a_Expected[index];
        if (actual.m_GMID != expected.m_GMID || actual.m_HeaderWord != expected.m_HeaderWord
            || actual.m_HeaderByte != expected.m_HeaderByte)
            return "packet header";
        if (actual.m_Photons.size() != expected.m_Photons.size())
            return "photon count";
        for (size_t k = 0; k < actual.m_Photons.size(); ++k) {
            const Photon& a = actual.m_Photons[k];
            const Photon& e = expected.m_Photons[k];
            if (a.m_Pixel != e.m_Pixel || a.m_Energy != e.m_Energy || a.m_TimeDetect != e.m_TimeDetect
                || a.m_PositiveEnergy != e.m_PositiveEnergy || a.m_PositiveTimeDetect != e.m_PositiveTimeDetect)
                return "photon";
        }
    }
    return nullptr;
}

std::vector<RefPacket> ReferenceDecode(const QByteArray& a_Batch, const std::vector<RefGM>& a_GMs, bool a_Loaded,
                                       int a_Mode)
{
    const auto byte = [&](long long a_At) { return static_cast<int>(static_cast<unsigned char>(a_Batch[int(a_At)])); };
    const long long n = a_Batch.size();
    // Prefix sums only make each checksum cheap; every candidate is still tried.
    std::vector<long long> prefix(static_cast<size_t>(n) + 1, 0);
    for (long long k = 0; k < n; ++k)
        prefix[size_t(k) + 1] = prefix[size_t(k)] + byte(k);
    std::vector<RefPacket> packets;
    long long i = 0;
    while (i + 1 < n) {
        if (byte(i) != 0xFE || byte(i + 1) != 0x7E || i + 2 >= n) {
            ++i;
            continue;
        }
        const int g = byte(i + 2);
        const bool inRange = a_Loaded ? (g >= 0 && g <= 3) : (g >= 1 && g <= 4);
        const RefGM* gm = FindGM(a_GMs, g);
        if (!inRange || !gm) {
            ++i;
            continue;
        }
        const int r = (gm->m_ReadoutOptions & 2) ? 5 : 3;
        // Of the footers that fit, the nearest one after which the batch ends
        // or a header starts; failing that, the nearest one.
        long long accepted = -1;
        long long nearest = -1;
        for (long long j = i + 1; j + 1 < n && j - i - 8 <= 256LL * r; ++j) {
            if (byte(j) != 0xFD || byte(j + 1) != 0x7F)
                continue;
            const long long e = j + 1;
            if (e - i < 9 || (e - i - 9) % r != 0)
                continue;
            const long long sum = prefix[size_t(e - 3)] - prefix[size_t(i)];
            if ((byte(e - 3) << 8 | byte(e - 2)) == (sum & 0xFFFF)) {
                if (nearest < 0)
                    nearest = e;
                if (e + 2 >= n || (byte(e + 1) == 0xFE && byte(e + 2) == 0x7E)) {
                    accepted = e;
                    break;
                }
            }
        }
        if (accepted < 0)
            accepted = nearest;
        if (accepted < 0) {
            ++i;
            continue;
        }
        RefPacket packet;
        packet.m_GMID = g;
        packet.m_HeaderWord = byte(i + 3) << 8 | byte(i + 4);
        packet.m_HeaderByte = byte(i + 5);
        const bool negative = gm->m_ReadoutOptions & 1;
        for (long long p = i + 6; p + r <= accepted - 3; p += r) {
            const int c = byte(p);
            Photon photon;
            int pixel = c;
            if (a_Mode == 2) {
                if (gm->m_Options & 8)
                    pixel = GMPixelOf(c);
            } else {
                pixel = GMPixelOf(c) < 0 ? -1 : DetectorCalcs::GetGlobalPixelNo(GMPixelOf(c), g);
            }
            photon.m_Pixel = static_cast<qint16>(pixel);
            int h = byte(p + 1);
            if (negative && (h & 0x20)) {
                photon.m_PositiveEnergy = 0;
                photon.m_Energy = static_cast<quint16>((h & ~0x20) * 256 + byte(p + 2));
            } else {
                photon.m_PositiveEnergy = 1;
                photon.m_Energy = static_cast<quint16>((h & ~0x80) * 256 + byte(p + 2));
            }
            if (r == 5) {
                h = byte(p + 3);
                if (negative && (h & 0x10)) {
                    photon.m_PositiveTimeDetect = 0;
                    photon.m_TimeDetect = static_cast<quint16>((h & ~0x10) * 256 + byte(p + 4));
                } else {
                    photon.m_PositiveTimeDetect = 1;
                    photon.m_TimeDetect = static_cast<quint16>((h & ~0x40) * 256 + byte(p + 4));
                }
            }
            if (pixel >= 0)
                packet.m_Photons.push_back(photon);
        }
        packets.push_back(packet);
        i = accepted + 1;
    }
    return packets;
}

} // namespace decodertest
