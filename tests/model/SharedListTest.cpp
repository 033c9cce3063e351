#include "model/SharedList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace korvex {
namespace {

using Strings = std::vector<std::string>;

// Every way to write an element through a list: the copy written shows the
// write, the list it was copied from and a copy taken before do not, and the
// elements not written stay the very ones both share.
TEST(SharedListTest, AWriteThroughOneCopyShowsInNoOther) {
    const struct {
        const char* name;
        std::function<void(SharedList<std::string>&)> write;
        Strings after;
        std::vector<bool> stillShared;
    } cases[] = {
        {"index", [](auto& l) { l[1] += "!"; }, {"a", "b!", "c"}, {true, false, true}},
        {"at", [](auto& l) { l.at(0) = "z"; }, {"z", "b", "c"}, {false, true, true}},
        {"back", [](auto& l) { l.back().clear(); }, {"a", "b", ""}, {true, true, false}},
        {"iterator", [](auto& l) { *(l.begin() + 2) = "y"; }, {"a", "b", "y"}, {true, true, false}},
        {"arrow", [](auto& l) { l.begin()->append("+"); }, {"a+", "b", "c"}, {false, true, true}},
        {"algorithm",
         [](auto& l) { std::reverse(l.begin(), l.end()); },
         {"c", "b", "a"},
         {false, true, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SharedList<std::string> original{"a", "b", "c"};
        SharedList<std::string> copy = original;
        const SharedList<std::string> before = copy;
        c.write(copy);
        EXPECT_EQ(copy.toVector(), c.after);
        EXPECT_EQ(original.toVector(), (Strings{"a", "b", "c"}));
        EXPECT_EQ(before.toVector(), (Strings{"a", "b", "c"}));
        for (std::size_t i = 0; i < c.stillShared.size(); ++i)
            EXPECT_EQ(copy.sharesElement(i, original, i), c.stillShared[i]) << i;
    }
}

// What only reads, and what takes elements out or adds them, leaves the
// elements shared: a change copies only what it writes.
TEST(SharedListTest, ReadingAddingAndTakingOutCopyNoElement) {
    const SharedList<std::string> original{"a", "bb", "c", "dd"};
    SharedList<std::string> copy = original;
    std::size_t letters = 0;
    for (const std::string& s : std::as_const(copy))
        letters += s.size();
    EXPECT_EQ(letters, 6U);
    EXPECT_EQ(copy.eraseIf([](const std::string& s) { return s.size() == 2; }), 2U);
    copy.push_back("e");
    copy.appendShared(original, 3);
    ASSERT_EQ(copy.toVector(), (Strings{"a", "c", "e", "dd"}));
    EXPECT_TRUE(copy.sharesElement(0, original, 0));
    EXPECT_TRUE(copy.sharesElement(1, original, 2));
    EXPECT_TRUE(copy.sharesElement(3, original, 3));
    // Equal elements count as a common prefix whether shared or not.
    const SharedList<std::string> apart{"a", "c", "x"};
    EXPECT_EQ(copy.commonPrefix(apart), 2U);
    EXPECT_FALSE(copy == apart);
}

TEST(SharedListTest, AListAppendedToItselfHoldsItsElementsTwice) {
    SharedList<std::string> list{"a", "b", "c"};
    list.appendShared(list);
    EXPECT_EQ(list.toVector(), (Strings{"a", "b", "c", "a", "b", "c"}));
    list[3] = "z"; // the two places share one element until one is written
    EXPECT_EQ(list.toVector(), (Strings{"a", "b", "c", "z", "b", "c"}));
}

// A copy on another thread reads its elements, copies and drops its list,
// then lets go of it altogether, while this thread writes every element of
// its own copy again and again: the other thread never sees a write, and
// once it let go the writes here still land.
TEST(SharedListTest, ACopyReadOnAnotherThreadNeverSeesTheWritesOfThisOne) {
    constexpr std::size_t kCount = 2000;
    SharedList<std::string> mine;
    for (std::size_t i = 0; i < kCount; ++i)
        mine.push_back("value " + std::to_string(i));
    std::atomic<bool> reading{false};
    std::atomic<bool> written{false};
    std::size_t wrong = 0;
    std::size_t rounds = 0;
    std::thread reader([theirs = mine, &reading, &written, &wrong, &rounds]() mutable {
        do {
            const SharedList<std::string> again = theirs;
            for (std::size_t i = 0; i < kCount; ++i)
                if (again[i] != "value " + std::to_string(i))
                    ++wrong;
            ++rounds;
            reading = true;
        } while (!written);
        theirs.clear();
    });
    while (!reading)
        std::this_thread::yield();
    for (int pass = 0; pass < 20; ++pass)
        for (std::size_t i = 0; i < kCount; ++i)
            mine[i] = "pass " + std::to_string(pass) + " " + std::to_string(i);
    written = true;
    reader.join();
    for (std::size_t i = 0; i < kCount; ++i)
        mine[i] += ".";
    EXPECT_EQ(wrong, 0U);
    EXPECT_GE(rounds, 1U);
    EXPECT_EQ(mine[0], "pass 19 0.");
    EXPECT_EQ(mine[kCount - 1], "pass 19 " + std::to_string(kCount - 1) + ".");
}

} // namespace
} // namespace korvex
