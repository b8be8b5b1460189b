// Request splitting, the register file and read replies, over a raw control connection.
#include "camsimclient.h"

#include "support/testsupport.h"

#include <gtest/gtest.h>

using camsim::Channel;
using namespace camsimtest;

namespace {
using testsupport::bytes;

QByteArray pattern(int size, int start)
{
    QByteArray out;
    for (int i = 0; i < size; ++i)
        out.append(static_cast<char>(start + i));
    return out;
}
} // namespace

TEST(CamsimRequests, CameraSplitsEveryRequestKindByItsCommandByte)
{
    auto camera = startCamera();
    RawClient host(testsupport::testLoopbackAddress());
    ASSERT_TRUE(host.connectTo(Channel::Control));

    const QByteArray globalImage = bytes({0x9D, 0x01}) + pattern(16, 0x40);
    const QByteArray channelImage = bytes({0x9E, 0x03}) + pattern(215, 0x01);
    const QList<QByteArray> sent {
        bytes({0x90, 0x1C, 0x04}),    // system write, register 16
        bytes({0x8F, 0xF0, 0x00}),    // HV command
        bytes({0x95, 0x02, 0x18}),    // GM 2, register 21
        globalImage,                  // 18 bytes
        channelImage,                 // 217 bytes
        bytes({0x11}),                // diagnostic read, one byte
        bytes({0x7F, 0x00, 0x00}),    // system firmware version
        bytes({0x7F, 0x02, 0x00}),    // GM 2 firmware version
        bytes({0x14, 0x04, 0x00}),    // GM 4 ID register
        bytes({0x1A, 0x01, 0x00}),    // GM 1 ADC 1
        bytes({0x10, 0x00, 0x00}),    // register 16 read back
    };
    QByteArray stream;
    for (const QByteArray& request : sent)
        stream += request;
    // The first half in one write, the rest a byte at a time: lengths come from the
    // command byte alone, never from how the bytes arrived.
    const int half = stream.size() / 2;
    host.send(stream.left(half));
    for (int i = half; i < stream.size(); ++i)
        host.send(stream.mid(i, 1));

    ASSERT_TRUE(camera->waitForRequests(sent.size(), 3000));
    EXPECT_EQ(camera->requests(), sent);
    EXPECT_EQ(camera->receivedBytes(Channel::Control), stream);

    const quint16 adc = camera->adcReading(1, 1);
    const QByteArray expectedReplies = bytes({0x11}) + bytes({0x7F, 0x00, 0x15}) + bytes({0x7F, 0x02, 0x05})
        + bytes({0x14, 0x04, 0x04}) + bytes({0x1A, 0x01, adc >> 8, adc & 0xFF}) + bytes({0x10, 0x1C, 0x04});
    EXPECT_EQ(host.receive(expectedReplies.size()), expectedReplies);
    EXPECT_GT(adc, 0);
    EXPECT_LT(adc, 4096);

    EXPECT_EQ(camera->systemRegister(16), 0x1C04);
    EXPECT_EQ(camera->hvCommands(), QList<quint16>({0xF000}));
    EXPECT_EQ(camera->gmRegister(2, 21), 0x18);
    EXPECT_EQ(camera->asicImage(1, 29), globalImage.mid(2));
    EXPECT_EQ(camera->asicImage(3, 30), channelImage.mid(2));
    EXPECT_EQ(camera->asicImage(2, 30), QByteArray(215, '\0'));
}

TEST(CamsimRequests, WritesAreSilentAndReadsReturnWhatWasWritten)
{
    auto camera = startCamera();
    RawClient host(testsupport::testLoopbackAddress());
    ASSERT_TRUE(host.connectTo(Channel::Control));

    host.send(bytes({0x8E, 0x12, 0x34, 0x85, 0xAB, 0xCD, 0x94, 0x03, 0x01, 0x92, 0x01, 0x7E}));
    ASSERT_TRUE(camera->waitForRequests(4, 3000));
    EXPECT_EQ(host.socket(Channel::Control).bytesAvailable(), 0);

    EXPECT_EQ(host.request(bytes({0x0E, 0x00, 0x00}), 3), bytes({0x0E, 0x12, 0x34}));
    EXPECT_EQ(host.request(bytes({0x05, 0x00, 0x00}), 3), bytes({0x05, 0xAB, 0xCD}));
    EXPECT_EQ(host.request(bytes({0x14, 0x03, 0x00}), 3), bytes({0x14, 0x03, 0x01})); // default GM now 1
    EXPECT_EQ(host.request(bytes({0x12, 0x01, 0x00}), 3), bytes({0x12, 0x01, 0x7E}));
    EXPECT_EQ(host.request(bytes({0x13, 0x02, 0x00}), 3), bytes({0x13, 0x02, 0x10})); // GM status
    EXPECT_EQ(camera->systemRegister(14), 0x1234);
    EXPECT_EQ(camera->gmRegister(3, 20), 1);
    EXPECT_EQ(camera->gmRegister(1, 18), 0x7E);
}

TEST(CamsimRequests, SecondByteTellsGmRequestsFromSystemRequests)
{
    camsim::CameraConfig config;
    config.gmIds = {2, 3};
    auto camera = startCamera(config);
    RawClient host(testsupport::testLoopbackAddress());
    ASSERT_TRUE(host.connectTo(Channel::Control));

    // Register 127 exists for the system and for each GM.
    EXPECT_EQ(host.request(bytes({0x7F, 0x00, 0x00}), 3), bytes({0x7F, 0x00, 0x15}));
    EXPECT_EQ(host.request(bytes({0x7F, 0x03, 0x00}), 3), bytes({0x7F, 0x03, 0x05}));
    // GM 1 is not in this camera: the request is a system request.
    EXPECT_EQ(host.request(bytes({0x7F, 0x01, 0x00}), 3), bytes({0x7F, 0x00, 0x15}));
    // A system write to a GM register number with 0 in byte 1 leaves the GMs alone.
    host.send(bytes({0x94, 0x00, 0x09}));
    EXPECT_EQ(host.request(bytes({0x14, 0x00, 0x00}), 3), bytes({0x14, 0x00, 0x09}));
    EXPECT_EQ(camera->gmRegister(2, 20), 2);
    EXPECT_EQ(camera->gmRegister(3, 20), 3);
}

TEST(CamsimRequests, CameraAcceptsTheHostAgainAndKeepsRecordsAcrossReconnects)
{
    auto camera = startCamera();
    const QString address = testsupport::testLoopbackAddress();
    {
        RawClient host(address);
        ASSERT_TRUE(host.connectTo(Channel::Control));
        ASSERT_TRUE(host.connectTo(Channel::Simulator));
        host.send(bytes({0x8F, 0xF0, 0x00}));
        host.send(bytes({0x81, 0x12, 0x00}), Channel::Simulator);
        ASSERT_TRUE(camera->waitForRequests(1, 3000));
    }
    RawClient again(address);
    ASSERT_TRUE(again.connectTo(Channel::Control));
    ASSERT_TRUE(camera->waitForConnections(Channel::Control, 2, 3000));
    again.send(bytes({0x8F, 0xC8, 0x00}));
    ASSERT_TRUE(camera->waitForRequests(2, 3000));
    EXPECT_EQ(camera->receivedBytes(Channel::Control), bytes({0x8F, 0xF0, 0x00, 0x8F, 0xC8, 0x00}));
    EXPECT_EQ(camera->hvCommands(), QList<quint16>({0xF000, 0xC800}));

    // The simulator connection has its own registers and records.
    EXPECT_EQ(camera->simulatorRequests(), QList<QByteArray>({bytes({0x81, 0x12, 0x00})}));
    EXPECT_EQ(camera->simulatorRegister(1), 0x1200);
    EXPECT_EQ(camera->systemRegister(1), 0);

    camera->clearRecords();
    EXPECT_TRUE(camera->requests().isEmpty());
    EXPECT_TRUE(camera->receivedBytes(Channel::Control).isEmpty());
    EXPECT_FALSE(camera->waitForRequests(1, 50));
}

TEST(CamsimRequests, StartFailsWithTextWhenThePortIsTaken)
{
    auto first = startCamera();
    camsim::CameraConfig config;
    config.address = testsupport::testLoopbackAddress();
    camsim::VirtualCamera second(config);
    QString error;
    EXPECT_FALSE(second.start(&error));
    EXPECT_TRUE(error.contains(QLatin1String("20483"))) << error.toStdString();
    EXPECT_FALSE(second.isRunning());
    // Stopping and starting again frees and takes the ports.
    first->stop();
    EXPECT_TRUE(second.start(&error)) << error.toStdString();
    second.stop();
    ASSERT_TRUE(first->start(&error)) << error.toStdString();
    RawClient host(config.address);
    ASSERT_TRUE(host.connectTo(Channel::Control));
    EXPECT_EQ(host.request(bytes({0x7F, 0x00, 0x00}), 3), bytes({0x7F, 0x00, 0x15}));
}
