// photons.dat written block by block from a thread of its own: records cut across
// blocks by uneven batches and a tail that is not whole pages read back as they went in.
#include "gui/photonfilewriter.h"
#include "tools/files/photonrecordreader.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

PhotonRecord recordNo(qint64 a_Index)
{
    PhotonRecord record {};
    record.gmID = quint8(1 + a_Index % 4);
    record.headerWord = quint16(a_Index >> 4);
    record.pixel = quint16(a_Index % 485);
    record.energy = quint16(a_Index * 7);
    record.positiveEnergy = quint8(a_Index & 1);
    record.timeDetect = quint16(a_Index >> 16);
    record.positiveTimeDetect = quint8((a_Index >> 1) & 1);
    return record;
}

TEST(GuiPhotonFileWriter, BlocksAndTailReadBackInOrder)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("photons.dat"));
    const qint64 total = 2 * gui::PhotonFileWriter::blockRecords + 4097; // two blocks, and a tail of odd length
    std::vector<PhotonRecord> all(static_cast<size_t>(total));
    for (qint64 i = 0; i < total; ++i)
        all[size_t(i)] = recordNo(i);

    gui::PhotonFileWriter writer;
    QString error;
    ASSERT_TRUE(writer.open(path, &error)) << error.toStdString();
    for (qint64 done = 0, batch = 1; done < total; batch = batch * 3 + 1) {
        const qint64 count = qMin(batch, total - done);
        ASSERT_TRUE(writer.append(all.data() + done, count));
        done += count;
    }
    ASSERT_TRUE(writer.close(&error)) << error.toStdString();
    EXPECT_EQ(writer.records(), total);

    tool::PhotonRecordReader reader;
    ASSERT_TRUE(reader.open(path, &error)) << error.toStdString();
    std::vector<tool::PhotonRecord> batch;
    qint64 index = 0;
    while (reader.next(&batch, &error) && !batch.empty()) {
        for (const tool::PhotonRecord& read : batch) {
            const PhotonRecord expected = recordNo(index++);
            ASSERT_EQ(read.gmId, expected.gmID) << index;
            ASSERT_EQ(read.headerWord, expected.headerWord) << index;
            ASSERT_EQ(read.pixel, expected.pixel) << index;
            ASSERT_EQ(read.energy, expected.energy) << index;
            ASSERT_EQ(read.positiveEnergy, expected.positiveEnergy) << index;
            ASSERT_EQ(read.timeDetect, expected.timeDetect) << index;
            ASSERT_EQ(read.positiveTimeDetect, expected.positiveTimeDetect) << index;
        }
    }
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(index, total);
}

TEST(GuiPhotonFileWriter, RefusesAFolderItCannotWriteIn)
{
    QTemporaryDir folder;
    gui::PhotonFileWriter writer;
    QString error;
    EXPECT_FALSE(writer.open(folder.filePath(QStringLiteral("missing/photons.dat")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("cannot create"))) << error.toStdString();
}

} // namespace
