// Read-reply faults: wrong echo, short replies, no reply, split and delayed replies.
#include "camsimclient.h"

#include "support/testsupport.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using camsim::Channel;
using camsim::ReplyFault;
using namespace camsimtest;

namespace {
const QByteArray readFirmware("\x7F\x00\x00", 3);
const QByteArray firmwareReply("\x7F\x00\x15", 3);
} // namespace

TEST(CamsimReplyFaults, MalformedRepliesHitOnlyTheCountedReads)
{
    auto camera = startCamera();
    RawClient host(testsupport::testLoopbackAddress());
    ASSERT_TRUE(host.connectTo(Channel::Control));

    camera->setReplyFault(ReplyFault::WrongEcho, 0, 1);
    EXPECT_EQ(host.request(readFirmware, 3), QByteArray("\x00\x00\x15", 3));
    EXPECT_EQ(host.request(readFirmware, 3), firmwareReply);

    camera->setReplyFault(ReplyFault::Short, 0, 2);
    EXPECT_EQ(host.request(readFirmware, 2), QByteArray("\x7F\x00", 2));
    EXPECT_EQ(host.request(QByteArray("\x1B\x01\x00", 3), 3).size(), 3); // ADC reply of 4 loses one
    EXPECT_EQ(host.request(readFirmware, 3), firmwareReply);

    camera->setReplyFault(ReplyFault::EchoOnly);
    EXPECT_EQ(host.request(readFirmware, 1), QByteArray("\x7F", 1));
    EXPECT_EQ(host.request(readFirmware, 1), QByteArray("\x7F", 1));
    camera->setReplyFault(ReplyFault::None);
    EXPECT_EQ(host.request(readFirmware, 3), firmwareReply);
}

TEST(CamsimReplyFaults, UnansweredReadLeavesTheConnectionUsable)
{
    auto camera = startCamera();
    RawClient host(testsupport::testLoopbackAddress());
    ASSERT_TRUE(host.connectTo(Channel::Control));

    camera->setReplyFault(ReplyFault::NoReply, 0, 1);
    host.send(readFirmware);
    ASSERT_TRUE(camera->waitForRequests(1, 3000));
    EXPECT_TRUE(host.receive(1, 100).isEmpty());
    EXPECT_EQ(host.request(readFirmware, 3), firmwareReply);
}

TEST(CamsimReplyFaults, SplitReplyArrivesInTwoSegmentsAndDelayedReplyLate)
{
    auto camera = startCamera();
    RawClient host(testsupport::testLoopbackAddress());
    ASSERT_TRUE(host.connectTo(Channel::Control));

    camera->setReplyFault(ReplyFault::Split, 150, 1);
    host.send(readFirmware);
    const QByteArray first = host.receive(1);
    EXPECT_EQ(first, QByteArray("\x7F", 1));
    const QByteArray rest = host.receive(2);
    EXPECT_EQ(first + rest, firmwareReply);

    camera->setReplyFault(ReplyFault::Delay, 200, 1);
    QElapsedTimer timer;
    timer.start();
    host.send(readFirmware);
    EXPECT_TRUE(host.receive(1, 120).isEmpty());
    EXPECT_EQ(host.receive(3), firmwareReply);
    EXPECT_GE(timer.elapsed(), 190);
}
