#include <gtest/gtest.h>

#include <string>

#include "Crc16.h"

namespace {

std::vector<unsigned char> Bytes(const std::string& text) {
    return std::vector<unsigned char>(text.begin(), text.end());
}

// The common table-free form of CRC-16/0x8005 (MSB first, start 0): the
// register absorbs each byte at its top.
std::uint16_t ConventionalCrc(const std::vector<unsigned char>& data) {
    std::uint16_t crc = 0;
    for (unsigned char byte : data) {
        crc ^= static_cast<std::uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) != 0 ? static_cast<std::uint16_t>((crc << 1) ^ 0x8005)
                                      : static_cast<std::uint16_t>(crc << 1);
        }
    }
    return crc;
}

}  // namespace

TEST(Crc16Test, KnownValues) {
    // The conventional check value of "123456789" for this polynomial.
    EXPECT_EQ(ConventionalCrc(Bytes("123456789")), 0xFEE8);
    EXPECT_EQ(Crc16(Bytes("abc"), 3), 0xE326);
    EXPECT_EQ(Crc16({0x01}, 1), 0x0001);
    EXPECT_EQ(Crc16({}, 0), 0);
    EXPECT_EQ(Crc16(Bytes("abc"), 0), 0);
    EXPECT_EQ(Crc16(Bytes("abc"), -4), 0);
    EXPECT_EQ(Crc16(Bytes("abcdef"), 3), 0xE326) << "only the first length bytes count";
    EXPECT_EQ(Crc16Update(0, 0x01), 0x0001);
}

TEST(Crc16Test, EqualsTheConventionalCrcOfTheDataWithTwoZeroBytes) {
    for (const std::string& text : {std::string("a"), std::string("abc"), std::string("123456789"),
                                    std::string("\xff\x00\x80 bridge", 10)}) {
        std::vector<unsigned char> padded = Bytes(text);
        const std::uint16_t conventional = ConventionalCrc(padded);
        padded.push_back(0);
        padded.push_back(0);
        EXPECT_EQ(Crc16(padded, static_cast<int>(padded.size())), conventional) << text;
        EXPECT_NE(Crc16(Bytes(text), static_cast<int>(text.size())), conventional) << text;
    }
}

TEST(Crc16Test, PagesInOrderEqualTheirConcatenation) {
    MasterPages pages(3, std::vector<unsigned char>(128));
    std::vector<unsigned char> all;
    for (size_t p = 0; p < pages.size(); ++p) {
        for (size_t i = 0; i < 128; ++i) {
            pages[p][i] = static_cast<unsigned char>(p * 31 + i * 7);
        }
        all.insert(all.end(), pages[p].begin(), pages[p].end());
    }
    EXPECT_EQ(Crc16Pages(pages), Crc16(all, static_cast<int>(all.size())));
    EXPECT_EQ(Crc16Pages({}), 0);
    std::swap(pages[0], pages[2]);
    EXPECT_NE(Crc16Pages(pages), Crc16(all, static_cast<int>(all.size())));
}
