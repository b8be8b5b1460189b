// A virtual camera whose GMs have powered up, connected to a fresh controller,
// for the GM and ASIC operation tests; and what the camera received since a mark.
#ifndef QUORVEL_TEST_GMOPSRIG_H
#define QUORVEL_TEST_GMOPSRIG_H

#include "quorveldll.h"
#include "core/quorvel.h"
#include "gammamodule/gammamodules.h"

#include "camsim/virtualcamera.h"
#include "support/testsupport.h"

#include <QList>
#include <QVector>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>

class GMOpsRig : public ::testing::Test
{
protected:
    void SetUp() override { QuorvelDll::Close(); }

    void TearDown() override
    {
        QuorvelDll::Close();
        m_Camera.reset();
    }

    // Starts the camera with these GMs (in power-up order), initialises the
    // library against it and starts the system; returns once the camera has
    // reported every GM, so the device list holds them in the same order.
    void StartCamera(const QVector<int>& a_GMIDs = {1, 2, 3, 4})
    {
        camsim::CameraConfig config;
        config.address = testsupport::testLoopbackAddress();
        config.gmIds = a_GMIDs;
        m_Camera.reset(new camsim::VirtualCamera(config));
        QString error;
        ASSERT_TRUE(m_Camera->start(&error)) << error.toStdString();
        const std::string address = config.address.toStdString();
        QuorvelDll::SetHostIPAddress(address.c_str());
        QuorvelDll::SetCameraIPAddress(address.c_str());
        ASSERT_TRUE(QuorvelDll::Initialize()) << QuorvelDll::GetLastError();
        ASSERT_TRUE(QuorvelDll::StartSys()) << QuorvelDll::GetLastError();
        ASSERT_TRUE(testsupport::waitUntil([&] { return QuorvelDll::GetNoOfGMs() == a_GMIDs.size(); }, 5000))
            << "GMs reported: " << QuorvelDll::GetNoOfGMs();
        for (int i = 0; i < a_GMIDs.size(); ++i)
            ASSERT_EQ(Quorvel::GetInstance()->GetIDOfGM(i), a_GMIDs[i]);
        Mark();
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

    static QByteArray Bytes(std::initializer_list<int> a_Values)
    {
        QByteArray result;
        for (int value : a_Values)
            result.append(static_cast<char>(value));
        return result;
    }

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

    std::unique_ptr<camsim::VirtualCamera> m_Camera;
};

#endif
