// Configuration files that are unrecognised, truncated, corrupt or forged:
// each is refused as a whole with a message, quickly and without a crash.
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "tests/files/filetestsupport.h"

using namespace filetest;

namespace {

QString parseError(const QByteArray& a_File)
{
    ParsedConfiguration config;
    QString error;
    if (parse(a_File, &config, &error))
        return QString();
    EXPECT_FALSE(error.isEmpty());
    return error;
}

int gmOffset(int a_Index)
{
    return V6_FIRST_GM_OFFSET + a_Index * V6_GM_RECORD_SIZE;
}

// A hand-made file with one int replaced.
QByteArray patched(const char* a_Name, int a_Offset, qint32 a_Value)
{
    QByteArray file = testData(a_Name);
    setInt(&file, a_Offset, a_Value);
    return file;
}

} // namespace

TEST(HostileConfiguration, UnrecognisedFilesAreRefusedBeforeTheirLayoutIsRead)
{
    const QByteArray valid = testData("configuration_v6.dat");
    const QString unrecognised = QStringLiteral("Unrecognised file passed to Quorvel");
    QByteArray file = valid;
    setInt(&file, 0, 0xBEEE);
    EXPECT_EQ(parseError(file), unrecognised);
    EXPECT_EQ(parseError(QByteArray()), unrecognised);
    EXPECT_EQ(parseError(valid.left(3)), unrecognised);
    for (int version : {0, 7, -1, INT_MAX, INT_MIN}) {
        file = valid;
        setInt(&file, 4, version);
        EXPECT_EQ(parseError(file), unrecognised) << version;
    }
    for (int streamVersion : {0, -3, 1000}) {
        file = valid;
        setInt(&file, 8, streamVersion);
        EXPECT_TRUE(parseError(file).startsWith("Configuration file has an unsupported stream version"));
    }
}

TEST(HostileConfiguration, EveryTruncationFailsExceptAtTheEndOfTheGMSection)
{
    const QByteArray file = testData("configuration_v6_packets.dat");
    for (int length = 12; length < file.size(); ++length) {
        const QString error = parseError(file.left(length));
        if (length == PACKET_FILE_GM_SECTION_END) {
            EXPECT_TRUE(error.isEmpty()) << error.toStdString();
            continue;
        }
        ASSERT_FALSE(error.isEmpty()) << length;
        ASSERT_TRUE(error.startsWith("Configuration file is truncated or corrupt: it ends inside "))
            << length << ": " << error.toStdString();
    }
    EXPECT_EQ(parseError(file.left(600)),
              "Configuration file is truncated or corrupt: it ends inside anode channel record 26 of 130");
    EXPECT_EQ(parseError(file.left(9340)),
              "Configuration file is truncated or corrupt: it ends inside packet record 1");
    EXPECT_EQ(parseError(file.left(9360)),
              "Configuration file is truncated or corrupt: it ends inside photon record 1 of packet 1");
}

TEST(HostileConfiguration, NegativeCountsAreRefused)
{
    EXPECT_EQ(parseError(patched("configuration_v6.dat", V6_GM_COUNT_OFFSET, -1)),
              "Configuration file holds a negative GM count (-1)");
    EXPECT_EQ(parseError(patched("configuration_v6.dat", gmOffset(1) + GM_ANODE_COUNT_OFFSET, -128)),
              "Configuration file holds a negative anode channel count (-128)");
    EXPECT_EQ(parseError(patched("configuration_v6.dat", gmOffset(3) + GM_CATHODE_COUNT_OFFSET, INT_MIN)),
              QStringLiteral("Configuration file holds a negative cathode channel count (%1)").arg(INT_MIN));
    EXPECT_EQ(parseError(patched("configuration_v6_packets.dat", PACKET_FILE_GM_SECTION_END, -2)),
              "Configuration file holds a negative packet count (-2)");
    EXPECT_EQ(parseError(patched("configuration_v6_packets.dat", PACKET_FILE_GM_SECTION_END + 16, -1)),
              "Configuration file holds an invalid packet record (packet 1)");
}

// Counts and lengths near 2^31 followed by little data: each fails at the end
// of the data, without reserving memory for what the count announces.
TEST(HostileConfiguration, ForgedCountsCostOnlyWhatTheFileHolds)
{
    QElapsedTimer timer;
    timer.start();
    const QString truncated = QStringLiteral("Configuration file is truncated or corrupt: it ends inside ");
    EXPECT_EQ(parseError(patched("configuration_v6.dat", V6_GM_COUNT_OFFSET, INT_MAX)),
              truncated + QStringLiteral("GM record 5 of %1").arg(INT_MAX));
    EXPECT_TRUE(parseError(patched("configuration_v6.dat", gmOffset(3) + GM_ANODE_COUNT_OFFSET, INT_MAX))
                    .contains("anode channel record"));
    EXPECT_EQ(parseError(patched("configuration_v6_packets.dat", PACKET_FILE_GM_SECTION_END, INT_MAX)),
              truncated + "packet record 3");
    // Two photons and the next packet's 16 bytes make three photon records.
    EXPECT_EQ(parseError(patched("configuration_v6_packets.dat", PACKET_FILE_GM_SECTION_END + 16, INT_MAX)),
              truncated + "photon record 4 of packet 1");
    // The camera address announces 4 GiB.
    EXPECT_EQ(parseError(patched("configuration_v6.dat", 12, -16)), truncated + "the file header");
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST(HostileConfiguration, FieldsOutsideTheStoreRangesAreRefused)
{
    const int packet = PACKET_FILE_GM_SECTION_END + 4;
    const int photon = packet + 16;
    const struct
    {
        int m_Offset;
        qint32 m_Value;
        const char* m_Error;
    } cases[] = {
        {packet, 256, "Configuration file holds an invalid packet record (packet 1)"},
        {packet + 4, 65536, "Configuration file holds an invalid packet record (packet 1)"},
        {packet + 8, -1, "Configuration file holds an invalid packet record (packet 1)"},
        {photon, 65536, "Configuration file holds an invalid photon record (photon 1 of packet 1)"},
        {photon + 4, -1, "Configuration file holds an invalid photon record (photon 1 of packet 1)"},
        {photon + 9, 0x10000, "Configuration file holds an invalid photon record (photon 1 of packet 1)"},
    };
    for (const auto& hostile : cases)
        EXPECT_EQ(parseError(patched("configuration_v6_packets.dat", hostile.m_Offset, hostile.m_Value)), hostile.m_Error)
            << hostile.m_Offset;
}

TEST(HostileConfiguration, BytesAfterTheLastSectionAreRefused)
{
    const QString error = QStringLiteral("Configuration file holds unexpected data after its last section");
    EXPECT_EQ(parseError(testData("configuration_v6.dat") + QByteArray(1, '\0')), "Configuration file is "
              "truncated or corrupt: it ends inside the packet count");
    EXPECT_EQ(parseError(testData("configuration_v6_packets.dat") + QByteArray(1, '\0')), error);
    // A packet count of 0 is no packet section, and nothing may follow it.
    QByteArray file = testData("configuration_v6.dat");
    file.append(4, '\0');
    EXPECT_TRUE(parseError(file).isEmpty());
    file.append(4, '\0');
    EXPECT_EQ(parseError(file), error);
}

// A small fuzz pass in every test run: random byte changes and cuts of a
// valid file, each of which must parse or fail cleanly.
TEST(HostileConfiguration, RandomCorruptionIsParsedOrRefusedCleanly)
{
    const QByteArray valid = testData("configuration_v6_packets.dat");
    std::mt19937 random(20240601);
    int refused = 0;
    for (int round = 0; round < 1500; ++round) {
        QByteArray file = valid;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int change = 0; change < changes; ++change) {
            const int offset = static_cast<int>(random() % static_cast<unsigned>(file.size()));
            file[offset] = static_cast<char>(random());
        }
        if (random() % 4 == 0)
            file.truncate(static_cast<int>(random() % static_cast<unsigned>(file.size())));
        ParsedConfiguration config;
        QString error;
        if (!parse(file, &config, &error)) {
            ++refused;
            ASSERT_FALSE(error.isEmpty());
        } else {
            // What was parsed is bounded by the bytes present.
            ASSERT_LE(config.m_GMs.size() * V6_GM_RECORD_SIZE, static_cast<size_t>(file.size()));
            ASSERT_LE(config.m_Packets.m_Photons.size() * 14, static_cast<size_t>(file.size()));
        }
    }
    EXPECT_GT(refused, 0);
}
