// Status records: power-up and power-down, raw records, split records, dropped connections.
#include "camsimclient.h"

#include "support/testsupport.h"

#include <gtest/gtest.h>

using camsim::Channel;
using namespace camsimtest;

namespace {
QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}
} // namespace

TEST(CamsimStatus, PowerUpAnnouncesEveryGmInConfiguredOrderThenIdle)
{
    camsim::CameraConfig config;
    config.gmIds = {3, 1, 4, 2};
    auto camera = startCamera(config);
    RawClient host(testsupport::testLoopbackAddress());
    ASSERT_TRUE(host.connectTo(Channel::Control));
    ASSERT_TRUE(host.connectTo(Channel::Status));
    ASSERT_TRUE(camera->waitForConnections(Channel::Status, 1, 3000));

    const QByteArray powerUp = bytes({0x08, 3, 0x08, 1, 0x08, 4, 0x08, 2, 0x10, 0x00});
    host.writeControl(0x00, 0x01);
    EXPECT_EQ(host.receive(powerUp.size(), 3000, Channel::Status), powerUp);

    // Other bits changing while powered send nothing; clearing PWR_ON sends Sys Off.
    host.writeControl(0x00, 0x03);
    host.writeControl(0x00, 0x01);
    host.writeControl(0x00, 0x00);
    EXPECT_EQ(host.receive(2, 3000, Channel::Status), bytes({0x00, 0x00}));

    // Driving the register directly has the same effect as a host write.
    camera->setSystemRegister(16, 0x0001);
    EXPECT_EQ(host.receive(powerUp.size(), 3000, Channel::Status), powerUp);
    EXPECT_EQ(camera->statusBytesSent(), powerUp + bytes({0x00, 0x00}) + powerUp);
}

TEST(CamsimStatus, IdleAfterEachGmWhenConfigured)
{
    camsim::CameraConfig config;
    config.gmIds = {2, 1};
    config.idleAfterEachGm = true;
    auto camera = startCamera(config);
    RawClient host(testsupport::testLoopbackAddress());
    ASSERT_TRUE(host.connectTo(Channel::Status));
    ASSERT_TRUE(camera->waitForConnections(Channel::Status, 1, 3000));
    camera->setSystemRegister(16, 0x0001);
    const QByteArray expected = bytes({0x08, 2, 0x10, 0x00, 0x08, 1, 0x10, 0x00});
    EXPECT_EQ(host.receive(expected.size(), 3000, Channel::Status), expected);
}

TEST(CamsimStatus, SplitRecordsArriveOneByteAtATime)
{
    camsim::CameraConfig config;
    config.gmIds = {1, 2};
    auto camera = startCamera(config);
    RawClient host(testsupport::testLoopbackAddress());
    ASSERT_TRUE(host.connectTo(Channel::Status));
    ASSERT_TRUE(camera->waitForConnections(Channel::Status, 1, 3000));
    camera->setStatusSplit(true, 30);
    camera->setSystemRegister(16, 0x0001);

    const QByteArray expected = bytes({0x08, 1, 0x08, 2, 0x10, 0x00});
    QByteArray all;
    int reads = 0;
    while (all.size() < expected.size()) {
        const QByteArray chunk = host.receive(1, 3000, Channel::Status);
        ASSERT_FALSE(chunk.isEmpty());
        all += chunk;
        ++reads;
    }
    EXPECT_EQ(all, expected);
    // 30 ms between bytes: a busy machine may merge a few, never most.
    EXPECT_GE(reads, expected.size() / 2 + 1);
}

TEST(CamsimStatus, RawRecordsReachTheHostAndAClosedConnectionCanReconnect)
{
    auto camera = startCamera();
    const QString address = testsupport::testLoopbackAddress();
    RawClient host(address);
    ASSERT_TRUE(host.connectTo(Channel::Status));
    ASSERT_TRUE(camera->waitForConnections(Channel::Status, 1, 3000));

    camera->sendStatusBytes(bytes({0x09, 0x03, 0x10}));
    EXPECT_EQ(host.receive(3, 3000, Channel::Status), bytes({0x09, 0x03, 0x10}));

    camera->closeConnection(Channel::Status);
    QTcpSocket& status = host.socket(Channel::Status);
    EXPECT_TRUE(testsupport::waitUntil([&] { return status.state() == QAbstractSocket::UnconnectedState; }, 3000));

    // With no host connected the records are lost, as with the real camera.
    camera->sendStatusBytes(bytes({0x00, 0x00}));
    EXPECT_EQ(camera->statusBytesSent(), bytes({0x09, 0x03, 0x10}));

    RawClient again(address);
    ASSERT_TRUE(again.connectTo(Channel::Status));
    ASSERT_TRUE(camera->waitForConnections(Channel::Status, 2, 3000));
    camera->sendStatusBytes(bytes({0x10, 0x00}));
    EXPECT_EQ(again.receive(2, 3000, Channel::Status), bytes({0x10, 0x00}));
}

TEST(CamsimStatus, ClosingTheControlConnectionLetsTheHostReconnect)
{
    auto camera = startCamera();
    const QString address = testsupport::testLoopbackAddress();
    RawClient host(address);
    ASSERT_TRUE(host.connectTo(Channel::Control));
    ASSERT_TRUE(camera->waitForConnections(Channel::Control, 1, 3000));
    camera->closeConnection(Channel::Control);
    QTcpSocket& control = host.socket(Channel::Control);
    EXPECT_TRUE(testsupport::waitUntil([&] { return control.state() == QAbstractSocket::UnconnectedState; }, 3000));

    RawClient again(address);
    ASSERT_TRUE(again.connectTo(Channel::Control));
    EXPECT_EQ(again.request(QByteArray("\x7F\x00\x00", 3), 3), QByteArray("\x7F\x00\x15", 3));
}
