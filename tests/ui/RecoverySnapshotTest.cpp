#include "ui/RecoverySnapshot.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace korvex {
namespace {

std::string everyByte() {
    std::string bytes;
    for (int c = 0; c < 256; ++c)
        bytes += char(c);
    return bytes;
}

RecoverySnapshot sample() {
    RecoverySnapshot s;
    s.dataSet = "T\xE9"
                "1\t0.1250\r\nLF\nonly\r\n" +
                everyByte() + "\r\n";
    for (std::size_t i = 0; i < s.values.size(); ++i)
        s.values[i] = std::to_string(i) + ".5";
    s.values[3] = "";
    s.values[7] = "check 16\n";
    s.values[41] = everyByte();
    s.display.countText = " 2 ";
    s.display.recordNumber = 12345678901LL;
    s.display.code = "\x8A\xE8\r\n";
    s.labelsLower = {true, false, true, false, false, false};
    s.commandEnabled = {false, true, true, false, true, true};
    return s;
}

bool unreadable(const std::string& bytes) {
    return std::holds_alternative<RecoverySnapshot::Unreadable>(RecoverySnapshot::read(bytes));
}

TEST(RecoverySnapshotTest, ReadsBackEveryByteOfWhatWasWritten) {
    for (const RecoverySnapshot& s : {RecoverySnapshot{}, sample()}) {
        const auto read = RecoverySnapshot::read(s.write());
        ASSERT_TRUE(std::holds_alternative<RecoverySnapshot>(read))
            << std::get<RecoverySnapshot::Unreadable>(read).reason;
        EXPECT_EQ(std::get<RecoverySnapshot>(read), s);
    }
}

TEST(RecoverySnapshotTest, EveryCutShortCopyIsRefusedWhole) {
    const std::string bytes = sample().write();
    for (std::size_t length = 0; length < bytes.size(); ++length)
        EXPECT_TRUE(unreadable(bytes.substr(0, length))) << "cut at " << length;
    EXPECT_TRUE(unreadable(bytes + "x"));
}

TEST(RecoverySnapshotTest, EveryChangedByteIsRefused) {
    const std::string bytes = sample().write();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::string changed = bytes;
        changed[i] = char(changed[i] ^ 0x01);
        EXPECT_TRUE(unreadable(changed)) << "byte " << i;
    }
}

TEST(RecoverySnapshotTest, SaysWhyACopyCannotBeRead) {
    const auto reason = [](const std::string& bytes) {
        const auto read = RecoverySnapshot::read(bytes);
        return std::holds_alternative<RecoverySnapshot::Unreadable>(read)
                   ? std::get<RecoverySnapshot::Unreadable>(read).reason
                   : std::string("read");
    };
    EXPECT_EQ(reason(""), "it is not a recovery copy of this program");
    EXPECT_EQ(reason("\tT1\t0\r\n\r\n 1 \r\n"), "it is not a recovery copy of this program");
    const std::string bytes = RecoverySnapshot{}.write();
    EXPECT_EQ(reason(bytes.substr(0, bytes.size() / 2)), "it is damaged or cut short");
}

} // namespace
} // namespace korvex
