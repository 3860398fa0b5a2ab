// Little-endian encoders, the Windows-1252 conversion and nearest().
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/binary_encoding.h"
#include "base/nearest.h"
#include "base/windows1252.h"

namespace scenario {
namespace {

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

TEST(BinaryEncoding, ScalarsAreLittleEndianTwosComplement) {
  std::string out;
  append_byte(out, 0xAB);
  EXPECT_EQ(out, bytes({0xAB}));

  out.clear();
  append_int16(out, 5121);
  append_int16(out, -2);
  EXPECT_EQ(out, bytes({0x01, 0x14, 0xFE, 0xFF}));

  out.clear();
  append_int32(out, 90100);
  append_int32(out, -1500);
  EXPECT_EQ(out, bytes({0xF4, 0x5F, 0x01, 0x00, 0x24, 0xFA, 0xFF, 0xFF}));

  out.clear();
  append_double(out, 1.0);
  append_double(out, -0.5);
  EXPECT_EQ(out, bytes({0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0, 0, 0, 0, 0, 0, 0xE0, 0xBF}));
}

TEST(Windows1252, AccentedLettersAndSymbolsBecomeSingleBytes) {
  EXPECT_EQ(to_windows1252("è à é ò ù"), bytes({0xE8, ' ', 0xE0, ' ', 0xE9, ' ', 0xF2, ' ', 0xF9}));
  EXPECT_EQ(to_windows1252("€ “x” —"), bytes({0x80, ' ', 0x93, 'x', 0x94, ' ', 0x97}));
  EXPECT_EQ(to_windows1252("plain ASCII, 1+522"), "plain ASCII, 1+522");
}

TEST(Windows1252, WhatTheCodePageCannotHoldBecomesQuestionMark) {
  EXPECT_EQ(to_windows1252("a\u0394b"), "a?b");         // Greek capital delta
  EXPECT_EQ(to_windows1252("x\U0001F600y"), "x?y");     // outside the BMP
  EXPECT_EQ(to_windows1252(bytes({'a', 0xC3})), "a?");  // truncated sequence
  EXPECT_EQ(to_windows1252(bytes({0xFF, 'b'})), "?b");  // not UTF-8 at all
}

TEST(Windows1252, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(to_windows1252(from_windows1252(all)), all);
}

TEST(Nearest, RoundsHalvesToEven) {
  struct Case {
    double in;
    int32_t out;
  };
  for (const Case& c : {Case{24.5, 24}, Case{25.5, 26}, Case{-0.5, 0}, Case{-1.5, -2}, Case{2.4999, 2},
                        Case{205.0, 205}, Case{-350.0, -350}, Case{2147483647.0, 2147483647}}) {
    EXPECT_EQ(nearest(c.in), c.out) << c.in;
  }
}

TEST(Nearest, ValueOutside32BitsIsARunTimeFailure) {
  EXPECT_THROW(nearest(2147483648.0), RunTimeFailure);
  EXPECT_THROW(nearest(-2147483649.0), RunTimeFailure);
  EXPECT_THROW(nearest(std::nan("")), RunTimeFailure);
}

}  // namespace
}  // namespace scenario
