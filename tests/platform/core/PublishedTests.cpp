#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/Published.h"

using namespace platform;

namespace {

TEST(Published, ReaderKeepsTheValueItStartedWithAcrossAPublish) {
    Published<std::string> name("old");
    const auto reader = name.read();
    name.publish("new");
    EXPECT_EQ(*reader, "old");
    EXPECT_EQ(name.copy(), "new");
}

// Each published list is internally consistent (all elements equal its size), so a torn read or
// a read of freed memory (under address or thread sanitizer) shows up.
TEST(Published, ConcurrentReadersSeeWholeValues) {
    Published<std::vector<int>> list;
    std::atomic<bool> done{false};
    std::atomic<long> torn{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r) {
        readers.emplace_back([&] {
            while (!done.load()) {
                const auto value = list.read();
                for (int element : *value)
                    if (element != static_cast<int>(value->size())) ++torn;
            }
        });
    }
    for (int size = 1; size <= 2000; ++size)
        list.publish(std::vector<int>(size % 17, size % 17));
    done = true;
    for (auto& reader : readers)
        reader.join();
    EXPECT_EQ(torn.load(), 0);
}

} // namespace
