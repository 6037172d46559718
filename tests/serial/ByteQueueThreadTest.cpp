#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "serial/ByteQueue.h"

// Two producer/consumer pairs share the one process-wide queue lock; each
// consumer must see its own producer's bytes complete and in order.
TEST(ByteQueueThreads, ProducersAndConsumersOfSeveralQueuesKeepOrder)
{
    constexpr int bytesPerQueue = 20000;
    ByteQueue queues[2];
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (ByteQueue& queue : queues) {
        threads.emplace_back([&queue] {
            for (int i = 0; i < bytesPerQueue; ++i) {
                queue.push(static_cast<std::uint8_t>(i % 251));
            }
        });
        threads.emplace_back([&queue, &mismatches] {
            int expected = 0;
            while (expected < bytesPerQueue) {
                if (queue.count() == 0) {
                    std::this_thread::yield();
                    continue;
                }
                std::uint8_t byte = 0;
                if (queue.tryPop(byte)) {
                    if (byte != expected % 251) {
                        ++mismatches;
                    }
                    ++expected;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(queues[0].count(), 0);
    EXPECT_LE(queues[1].chunkCount(), 1U);
}

// The same with chunked hand-over: a producer pushing read-sized chunks and a
// consumer taking up to 256 bytes at a time, while the queue often runs empty
// and gives its storage back between chunks.
TEST(ByteQueueThreads, ChunkedPushAndPopKeepOrder)
{
    constexpr int bytesPerQueue = 50000;
    ByteQueue queues[2];
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (ByteQueue& queue : queues) {
        threads.emplace_back([&queue] {
            std::vector<std::uint8_t> chunk;
            for (int i = 0; i < bytesPerQueue;) {
                chunk.clear();
                const int size = 1 + (i * 7) % 300;
                for (int k = 0; k < size && i < bytesPerQueue; ++k, ++i) {
                    chunk.push_back(static_cast<std::uint8_t>(i % 251));
                }
                queue.pushMany(chunk.data(), chunk.size());
            }
        });
        threads.emplace_back([&queue, &mismatches] {
            int expected = 0;
            std::uint8_t out[256];
            while (expected < bytesPerQueue) {
                const std::size_t got = queue.tryPopMany(out, sizeof out);
                if (got == 0) {
                    std::this_thread::yield();
                }
                for (std::size_t k = 0; k < got; ++k, ++expected) {
                    if (out[k] != expected % 251) {
                        ++mismatches;
                    }
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(queues[0].count(), 0);
    EXPECT_LE(queues[1].chunkCount(), 1U);
}
