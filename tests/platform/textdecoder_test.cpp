#include "platform/textdecoder.h"

#include <gtest/gtest.h>

#include <string>

namespace qorv {
namespace {

std::string decoded(TextDecoder& decoder, std::string_view bytes) {
  std::string out;
  decoder.reset();
  decoder.decode(bytes, true, out);
  return out;
}

TEST(TextDecoder, DecodesTheWebsEncodingsByTheirStandardNames) {
  const struct {
    const char* encoding;
    std::string bytes;
    const char* text;
  } cases[] = {
      {"windows-1250", "\x8A\xE8", "\xC5\xA0\xC4\x8D"},
      {"ISO-8859-2", "\xB9", "\xC5\xA1"},
      {"ISO-8859-8-I", "\xE0", "\xD7\x90"},
      {"KOI8-R", "\xC1", "\xD0\xB0"},
      {"Shift_JIS", "\x82\xA0", "\xE3\x81\x82"},
      {"EUC-KR", "\xB0\xA1", "\xEA\xB0\x80"},
      {"Big5", "\xA4\x40", "\xE4\xB8\x80"},
      {"windows-874", "\xA1", "\xE0\xB8\x81"},
      {"x-mac-cyrillic", "\x80", "\xD0\x90"},
      {"ISO-2022-JP", "\x1B$B$3\x1B(Bx", "\xE3\x81\x93x"},
      {"UTF-16LE", std::string("a\0\xE9\0", 4), "a\xC3\xA9"},
      {"UTF-16BE", std::string("\0a", 2), "a"},
  };
  for (const auto& c : cases) {
    const std::unique_ptr<TextDecoder> decoder = openTextDecoder(c.encoding);
    ASSERT_TRUE(decoder) << c.encoding;
    EXPECT_EQ(decoded(*decoder, c.bytes), c.text) << c.encoding;
  }
}

TEST(TextDecoder, ACharacterCutBetweenTwoPiecesIsDecodedWhole) {
  const std::unique_ptr<TextDecoder> decoder = openTextDecoder("Shift_JIS");
  ASSERT_TRUE(decoder);
  std::string out;
  decoder->decode("a\x82", false, out);
  decoder->decode(
      "\xA0"
      "b",
      false, out);
  decoder->decode("\x82", true, out);
  EXPECT_EQ(out,
            "a\xE3\x81\x82"
            "b\xEF\xBF\xBD")
      << "one cut by the end of all is U+FFFD";
  // After a reset nothing of the text before is left.
  decoder->reset();
  out.clear();
  decoder->decode("\x82", false, out);
  decoder->reset();
  decoder->decode("c", true, out);
  EXPECT_EQ(out, "c");
}

TEST(TextDecoder, ABytesThatIsNoCharacterIsReplaced) {
  const std::unique_ptr<TextDecoder> decoder = openTextDecoder("ISO-2022-JP");
  ASSERT_TRUE(decoder);
  EXPECT_EQ(decoded(*decoder,
                    "a\x80"
                    "b"),
            "a\xEF\xBF\xBD"
            "b");
}

TEST(TextDecoder, AnEncodingThisMachineLacksHasNone) {
  EXPECT_FALSE(openTextDecoder("x-no-such-encoding"));
}

}  // namespace
}  // namespace qorv
