// Writes photons.dat (11-byte records, see files/photoncoding.h) from a thread of its
// own. The stream reader encodes its batches into large page-aligned blocks and
// hands each full block over; the thread writes them with O_DIRECT where the file
// system takes it, so the bytes go to the disk without a copy into the page cache
// (at the camera's top rate that copy cost more than everything else the reader
// did). A slow disk fills the queue of blocks; only a full queue makes the reader
// wait, and then the library's stream queue takes the rest.
#ifndef GUI_PHOTONFILEWRITER_H
#define GUI_PHOTONFILEWRITER_H

#include "quorveldll.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace gui {

class PhotonFileWriter {
public:
    static constexpr qint64 recordBytes = 11;
    // 1023 pages: a block holds whole records and a whole number of pages.
    static constexpr qint64 blockRecords = 4096 * 93;
    static constexpr qint64 blockBytes = blockRecords * recordBytes;
    static constexpr int maxBlocks = 64; // 268 MB, about 1.8 s at 13.6 million photons/s

    PhotonFileWriter() = default;
    ~PhotonFileWriter(); // closes
    PhotonFileWriter(const PhotonFileWriter&) = delete;
    PhotonFileWriter& operator=(const PhotonFileWriter&) = delete;

    // Creates the file and starts the thread; false with a one-line reason.
    bool open(const QString& a_Path, QString* a_Error);
    bool isOpen() const { return m_Fd >= 0; }
    // Encodes the records; waits only while every block waits for the disk.
    // False once a write has failed (close() says why).
    bool append(const PhotonRecord* a_Records, qint64 a_Count);
    // Writes what is left, stops the thread and closes the file; false with the
    // first failure.
    bool close(QString* a_Error);
    qint64 records() const { return m_Records; }

private:
    struct BlockFree {
        void operator()(char* a_Block) const;
    };
    using Block = std::unique_ptr<char, BlockFree>;
    struct Filled {
        Block block;
        qint64 bytes;
    };

    bool nextBlock(); // queues the full block and takes an empty one
    void run();
    bool writeAll(const char* a_Data, qint64 a_Bytes);

    QString m_Path;
    int m_Fd = -1;
    bool m_Direct = false;  // set by open(), then the thread's: it clears it for the tail
    Block m_Current;        // being filled by append()
    qint64 m_CurrentBytes = 0;
    qint64 m_Records = 0;
    int m_Allocated = 0;    // blocks in existence (append()'s thread only)

    std::mutex m_Mutex;     // guards the queues, m_Closing and m_Error
    std::condition_variable m_FilledCondition;
    std::condition_variable m_FreeCondition;
    std::deque<Filled> m_Queue;
    std::vector<Block> m_Free;
    bool m_Closing = false;
    QString m_Error;
    std::atomic<bool> m_Failed {false};
    std::thread m_Thread;
};

} // namespace gui

#endif
