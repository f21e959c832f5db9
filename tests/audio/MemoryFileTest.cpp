#include <gtest/gtest.h>
#include <thread>

#include "audio/MemoryAudioFile.h"
#include "audio/MemoryFile.h"
#include "support/AudioFiles.h"
#include "support/TestSupport.h"

using namespace Audio;
using namespace TestSupport;

TEST(PagedFileData, PagesGrowOnWriteAndReadsCrossPageBoundaries) {
    CPagedFileData store(0, 65536);
    std::vector<unsigned char> data(100000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(i * 7);
    u32 n = 0;
    store.write(data.data(), 0, 100000, &n);
    EXPECT_EQ(n, 100000u);
    EXPECT_EQ(store.getSize(), 100000u);
    EXPECT_EQ(store.getPageCount(), 2u);
    unsigned char out[10];
    store.read(out, 65530, 10, &n);
    EXPECT_EQ(n, 10u);
    EXPECT_TRUE(std::equal(out, out + 10, data.begin() + 65530));
    store.read(out, 99995, 10, &n);
    EXPECT_EQ(n, 5u);
    store.read(out, 100000, 10, &n);
    EXPECT_EQ(n, 0u);
}

TEST(PagedFileData, PageTableGrowsByDoublingPlusOne) {
    CPagedFileData store(0, 16);
    unsigned char byte = 1;
    u32 n = 0;
    std::vector<u32> capacities;
    for (u32 page = 0; page < 8; ++page) {
        store.write(&byte, page * 16, 1, &n);
        capacities.push_back(store.getTableCapacity());
    }
    EXPECT_EQ(capacities, (std::vector<u32>{1, 3, 3, 7, 7, 7, 7, 15}));
}

TEST(PagedFileData, UnwrittenPagesCannotBeRead) {
    CPagedFileData store(70000, 65536);
    unsigned char out[4];
    u32 n = 0;
    EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { store.read(out, 0, 4, &n); }),
              "CPagedFileData::read() tryed to read non existend data! "
              ":-) write something in before read out!");
    // A gap left by a seek past the end stays unreadable, the written page is fine.
    store.write("abcd", 66000, 4, &n);
    store.read(out, 66000, 4, &n);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 4), "abcd");
    EXPECT_THROW(store.read(out, 10, 4, &n), std::runtime_error);
}

TEST(MemoryFile, OpenTwiceFailsAndClonesShareTheStore) {
    auto writer = std::make_unique<CMemoryFile>();
    writer->open(Write);
    EXPECT_THROW(writer->open(Write), std::runtime_error);
    u32 n = 0;
    writer->write("hello", 5, &n);
    std::unique_ptr<CFile> reader = writer->clone();
    writer.reset(); // the clone keeps the store alive
    reader->open(Read);
    char out[5];
    reader->read(out, 5, &n);
    EXPECT_EQ(std::string(out, 5), "hello");
    reader->seek(-2, End);
    reader->read(out, 5, &n);
    EXPECT_EQ(n, 2u);
}

TEST(MemoryFile, WaveFileInMemoryReadsBackThroughAClone) {
    for (bool split : {false, true}) {
        const AudioFormat format = makeFormat(3, 22050, 24);
        std::unique_ptr<CAudioFile> file(createMemoryAudioFile(format, split));
        file->open(Write, &format);
        Channels data = testSignal(3, 5000);
        std::vector<float*> pointers;
        for (auto& c : data)
            pointers.push_back(c.data());
        u32 n = 0;
        file->write(pointers.data(), 5000, &n);
        file->close();
        std::unique_ptr<CAudioFile> clone = file->clone();
        const Channels back = readAll(*clone);
        EXPECT_EQ(clone->format.channels, 3u);
        EXPECT_EQ(clone->format.sampleRate, 22050u);
        EXPECT_NEAR(back[2][4321], data[2][4321], 1.0 / 8388608) << "split " << split;
    }
}

TEST(MemoryFile, WriterThreadAndReaderClonesRunTogether) {
    auto writer = std::make_unique<CMemoryFile>();
    writer->open(Write);
    constexpr u32 chunk = 4093; // not a divisor of the page size
    constexpr u32 chunks = 200;
    std::atomic<u32> written{0};
    std::thread producer([&] {
        std::vector<unsigned char> data(chunk);
        for (u32 i = 0; i < chunks; ++i) {
            for (u32 j = 0; j < chunk; ++j)
                data[j] = static_cast<unsigned char>(i + j);
            u32 n = 0;
            writer->write(data.data(), chunk, &n);
            written.store(i + 1);
        }
    });
    std::vector<std::thread> readers;
    std::atomic<int> mismatches{0};
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&, clone = writer->clone()] {
            clone->open(Read);
            std::vector<unsigned char> in(chunk);
            for (u32 i = 0; i < chunks;) {
                if (written.load() <= i) {
                    std::this_thread::yield();
                    continue;
                }
                clone->seek(static_cast<i64>(i) * chunk, Begin);
                u32 n = 0;
                clone->read(in.data(), chunk, &n);
                for (u32 j = 0; j < n; ++j)
                    if (in[j] != static_cast<unsigned char>(i + j)) ++mismatches;
                if (n != chunk) ++mismatches;
                ++i;
            }
        });
    }
    producer.join();
    for (auto& t : readers)
        t.join();
    EXPECT_EQ(mismatches.load(), 0);
}

// Offsets are 32 bits wide inside the store: a write that would end beyond 4 GiB is refused
// before anything is written or allocated, also from a position beyond 4 GiB.
TEST(MemoryFile, RefusesToGrowBeyondFourGigabytes) {
    const struct {
        u64 position;
        const char* text;
    } rows[] = {
        {0xFFFFFFFFull - 2, "CPagedFileData::write() a memory file cannot grow beyond 4 GiB!"},
        {0x100000000ull + 10, "CMemoryFile::write() a memory file cannot grow beyond 4 GiB!"},
    };
    for (const auto& row : rows) {
        CMemoryFile file;
        file.open(Write);
        file.seek(static_cast<i64>(row.position), Begin);
        u32 written = 7;
        EXPECT_EQ(
            TestSupport::errorText<std::runtime_error>([&] { file.write("abcd", 4, &written); }),
            row.text);
        EXPECT_EQ(written, 7u);
        EXPECT_EQ(file.getSize(), 0u);
        EXPECT_EQ(file.getStore()->getPageCount(), 0u);
    }
}
