// The read buffer on its own: size, growth, reset and empty batches. The
// hand-over between data worker and decoder, its wait and its loss count, is
// checked with the real data worker (DataWorkerTest in test_workers.cpp).
#include "acquisition/readbuffer.h"

#include <gtest/gtest.h>

#include <QByteArray>

namespace {

class ReadBufferTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ReadBuffer::DeleteInstance();
        m_pBuffer = ReadBuffer::GetInstance();
    }
    void TearDown() override { ReadBuffer::DeleteInstance(); }

    static QByteArray Batch(char a_Fill, int a_Bytes) { return QByteArray(a_Bytes, a_Fill); }

    // Takes the pending batch as the decoder does and returns a copy of it.
    QByteArray Take()
    {
        auto lock = m_pBuffer->AccessLock();
        const qint64 bytes = m_pBuffer->TakeBatch();
        return QByteArray(m_pBuffer->GetBuffer(), static_cast<int>(bytes));
    }

    ReadBuffer* m_pBuffer = nullptr;
};

TEST_F(ReadBufferTest, StartsWithOneMebibyteAndNoBatch)
{
    auto lock = m_pBuffer->AccessLock();
    EXPECT_EQ(m_pBuffer->GetSize(), 1048576);
    EXPECT_EQ(m_pBuffer->GetPendingBytes(), 0);
    EXPECT_EQ(m_pBuffer->TakeBatch(), 0);
}

TEST_F(ReadBufferTest, BufferNeverSmallerThanTheBatchInIt)
{
    {
        auto lock = m_pBuffer->AccessLock();
        ASSERT_TRUE(m_pBuffer->SetBufferSize(1024));
    }
    // A batch larger than the buffer makes it grow instead of being cut.
    QByteArray big(4096, 0);
    for (int i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7);
    ASSERT_EQ(m_pBuffer->StoreBatch(big.constData(), big.size()), ReadBuffer::StoreResult::Stored);
    {
        auto lock = m_pBuffer->AccessLock();
        EXPECT_GE(m_pBuffer->GetSize(), 4096);
        // Shrinking while the batch is pending keeps it whole.
        ASSERT_TRUE(m_pBuffer->SetBufferSize(1024));
        EXPECT_EQ(m_pBuffer->GetSize(), 1024);
    }
    EXPECT_EQ(Take(), big);

    auto lock = m_pBuffer->AccessLock();
    EXPECT_FALSE(m_pBuffer->SetBufferSize(0));
    EXPECT_FALSE(m_pBuffer->SetBufferSize(-5));
    EXPECT_EQ(m_pBuffer->GetSize(), 1024);
}

TEST_F(ReadBufferTest, ResetDiscardsAPendingBatchAndZeroesTheBuffer)
{
    const QByteArray batch = Batch('x', 64);
    ASSERT_EQ(m_pBuffer->StoreBatch(batch.constData(), batch.size()), ReadBuffer::StoreResult::Stored);
    auto lock = m_pBuffer->AccessLock();
    m_pBuffer->Reset();
    EXPECT_EQ(m_pBuffer->GetPendingBytes(), 0);
    EXPECT_EQ(m_pBuffer->TakeBatch(), 0);
    EXPECT_EQ(QByteArray(m_pBuffer->GetBuffer(), 64), QByteArray(64, '\0'));
}

TEST_F(ReadBufferTest, EmptyBatchIsNotStored)
{
    EXPECT_EQ(m_pBuffer->StoreBatch("", 0), ReadBuffer::StoreResult::Empty);
    auto lock = m_pBuffer->AccessLock();
    EXPECT_EQ(m_pBuffer->GetPendingBytes(), 0);
}

} // namespace
