// The camera rig of the tests: a virtual camera on the test's own loopback
// address and a client that drives the library through the facade (or the
// controller directly), recording what its callbacks receive and what the
// camera was sent.
#ifndef QUORVEL_TEST_CAMERARIG_H
#define QUORVEL_TEST_CAMERARIG_H

#include "quorveldll.h"
#include "core/quorvel.h"
#include "tests/core/quorveltestaccess.h"

#include "acquisition/readbuffer.h"
#include "camsim/virtualcamera.h"
#include "gammamodule/gammamodules.h"
#include "support/testsupport.h"

#include <QByteArray>
#include <QList>
#include <QVector>
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

class CameraRig : public ::testing::Test
{
protected:
    // Waits of the tests for the camera and the callbacks. The library keeps
    // its own limits, which end early whenever the answer comes; the tests
    // of its time-outs shorten them.
    static constexpr int waitMs = 5000;

    static std::vector<std::string>& SysTexts()
    {
        static std::vector<std::string> texts;
        return texts;
    }
    static std::vector<std::string>& ToolbarTexts()
    {
        static std::vector<std::string> texts;
        return texts;
    }
    // Called with every status text as it arrives, on the library's thread.
    static std::function<void(const std::string&)>& OnSysText()
    {
        static std::function<void(const std::string&)> hook;
        return hook;
    }
    static void RecordSys(const char* a_Text)
    {
        SysTexts().emplace_back(a_Text);
        if (OnSysText())
            OnSysText()(SysTexts().back());
    }
    static void RecordToolbar(const char* a_Text) { ToolbarTexts().emplace_back(a_Text); }

    void SetUp() override
    {
        QuorvelDll::Close();
        SysTexts().clear();
        ToolbarTexts().clear();
        OnSysText() = nullptr;
        m_Address = testsupport::testLoopbackAddress();
    }

    void TearDown() override
    {
        OnSysText() = nullptr;
        QuorvelDll::Close();
        m_Camera.reset();
    }

    void StartCamera(camsim::CameraConfig a_Config = {})
    {
        a_Config.address = m_Address;
        m_Camera.reset(new camsim::VirtualCamera(a_Config));
        QString error;
        ASSERT_TRUE(m_Camera->start(&error)) << error.toStdString();
    }

    void StartCameraWithGMs(const QVector<int>& a_GMIDs)
    {
        camsim::CameraConfig config;
        config.gmIds = a_GMIDs;
        StartCamera(config);
    }

    // A camera and the controller's control connections to it, without the
    // facade's start sequence or workers.
    void ConnectController()
    {
        ASSERT_NO_FATAL_FAILURE(StartCamera());
        ASSERT_TRUE(QuorvelTestAccess::ConnectTo(m_Address)) << Quorvel::GetInstance()->GetLastError();
    }

    // Addresses and the recording callbacks; nothing is connected.
    void PrepareClient()
    {
        const std::string address = m_Address.toStdString();
        QuorvelDll::SetHostIPAddress(address.c_str());
        QuorvelDll::SetCameraIPAddress(address.c_str());
        QuorvelDll::SetSysStatusFunction(&RecordSys);
        QuorvelDll::SetToolbarStatusFunction(&RecordToolbar);
    }

    void Initialize()
    {
        PrepareClient();
        ASSERT_TRUE(QuorvelDll::Initialize()) << QuorvelDll::GetLastError();
    }

    // Initialised, started, and every GM of the camera reported.
    void StartSystem()
    {
        ASSERT_NO_FATAL_FAILURE(Initialize());
        ASSERT_TRUE(QuorvelDll::StartSys()) << QuorvelDll::GetLastError();
        const int gms = m_Camera->config().gmIds.size();
        ASSERT_TRUE(testsupport::waitUntil([gms] { return QuorvelDll::GetNoOfGMs() == gms; }, waitMs))
            << "GMs reported: " << QuorvelDll::GetNoOfGMs();
    }

    // A camera with these GMs (in power-up order), the system started, the
    // device list in the same order, and the camera's records cleared.
    void StartSystemWithGMs(const QVector<int>& a_GMIDs = {1, 2, 3, 4})
    {
        ASSERT_NO_FATAL_FAILURE(StartCameraWithGMs(a_GMIDs));
        ASSERT_NO_FATAL_FAILURE(StartSystem());
        for (int i = 0; i < a_GMIDs.size(); ++i)
            ASSERT_EQ(Quorvel::GetInstance()->GetIDOfGM(i), a_GMIDs[i]);
        Mark();
    }

    // Collects until the camera has sent a_Packets packets. The client's
    // thread runs no Qt event loop meanwhile, as a busy client's would not.
    // The camera stops sending before the host stops collecting, so the
    // final batch holds everything that was sent.
    void Collect(qint64 a_Packets)
    {
        m_Camera->clearRecords();
        ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
        ASSERT_TRUE(m_Camera->waitForPacketsSent(a_Packets, 30000));
        StopCollecting();
    }

    void StopCollecting()
    {
        m_Camera->setSystemRegister(16, m_Camera->systemRegister(16) & ~0x0002);
        ASSERT_TRUE(m_Camera->waitForStreamStopped(waitMs));
        ASSERT_TRUE(QuorvelDll::StopPhotonCollection()) << QuorvelDll::GetLastError() << LostTexts();
        // Stopping does not wait for the final decode. Packets the camera
        // spoiled on purpose are not waited for; nor is a store kept empty.
        const qint64 intact = m_Camera->intactPacketsSent();
        if (QuorvelDll::IsStoringPhotons())
            testsupport::waitUntil([intact] { return QuorvelDll::GetNoOfCollectedPackets() >= intact; }, 20000);
    }

    // The library's reports of data it could not keep.
    static std::string LostTexts()
    {
        std::string result;
        for (const std::string& text : SysTexts()) {
            if (text.compare(0, 10, "Data lost:") == 0)
                result += "\n" + text;
        }
        return result;
    }

    static int PacketField(int a_PacketNo, PacketData a_Type)
    {
        int value = -1;
        EXPECT_TRUE(QuorvelDll::GetPacketData(a_PacketNo, a_Type, &value)) << QuorvelDll::GetLastError();
        return value;
    }

    // The store holds every packet the camera sent, once, in order.
    void ExpectStoreMatchesCamera()
    {
        const QVector<camsim::SentPacket> sent = m_Camera->sentPackets();
        ASSERT_EQ(m_Camera->packetsSent(), sent.size());
        ASSERT_EQ(QuorvelDll::GetNoOfCollectedPackets(), sent.size()) << LostTexts();
        qint64 photons = 0;
        int mismatches = 0;
        for (int i = 0; i < sent.size(); ++i) {
            const int gmID = PacketField(i + 1, PACKET_DATA_GM_ID);
            const int headerWord = PacketField(i + 1, PACKET_DATA_HEADER_WORD);
            const int count = PacketField(i + 1, PACKET_DATA_NO_OF_PHOTONS);
            photons += count;
            if (gmID != sent[i].gmId || headerWord != sent[i].headerWord || count != sent[i].photons) {
                if (++mismatches <= 3)
                    ADD_FAILURE() << "packet " << i + 1 << ": GM " << gmID << " word " << headerWord << " photons "
                                  << count << ", sent GM " << sent[i].gmId << " word " << sent[i].headerWord
                                  << " photons " << sent[i].photons;
            }
        }
        EXPECT_EQ(mismatches, 0);
        EXPECT_EQ(photons, m_Camera->photonsSent());
        ReadBuffer* readBuffer = ReadBuffer::GetInstance();
        const auto lock = readBuffer->AccessLock();
        EXPECT_EQ(readBuffer->GetLostBatches(), 0);
    }

    static bool HasText(const std::vector<std::string>& a_Texts, const std::string& a_Text)
    {
        return std::find(a_Texts.begin(), a_Texts.end(), a_Text) != a_Texts.end();
    }

    // The number of control requests the camera has taken in so far: a read
    // round trip first makes sure every earlier request has arrived.
    int SyncedRequestCount()
    {
        QuorvelDll::IsSystemCollectingPhotons();
        return m_Camera->requests().size();
    }

    // The control requests once at least a_Count have arrived.
    QList<QByteArray> Requests(int a_Count)
    {
        EXPECT_TRUE(m_Camera->waitForRequests(a_Count, waitMs));
        return m_Camera->requests();
    }

    // Forgets what the camera has received so far.
    void Mark() { Sent(); }

    // The control requests since the last mark, which this sets anew. A read
    // round trip first makes sure the camera has taken in every earlier
    // request (the connection keeps their order); it is left out.
    QList<QByteArray> Sent()
    {
        unsigned char msb = 0;
        unsigned char lsb = 0;
        EXPECT_TRUE(QuorvelDll::RegRead(127, &msb, &lsb)) << QuorvelDll::GetLastError();
        QList<QByteArray> requests = m_Camera->requests();
        m_Camera->clearRecords();
        if (!requests.isEmpty())
            requests.removeLast();
        return requests;
    }

    static QByteArray Bytes(std::initializer_list<int> a_Values) { return testsupport::bytes(a_Values); }

    // A GM register write as it goes on the wire.
    static QByteArray GMWrite(int a_Register, int a_GMID, int a_Value)
    {
        return Bytes({0x80 | a_Register, a_GMID, a_Value});
    }

    // An ASIC image write (register 29 or 30) as it goes on the wire.
    static QByteArray ImageWrite(int a_Register, int a_GMID, const QByteArray& a_Image)
    {
        return Bytes({0x80 | a_Register, a_GMID}) + a_Image;
    }

    QString m_Address;
    std::unique_ptr<camsim::VirtualCamera> m_Camera;
};

#endif
