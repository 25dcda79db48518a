#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/textdecoder.h"

namespace qorv {

namespace {

struct EncodingName {
  std::string_view encoding;
  const char* iconvName;
};

// Where glibc's name differs from the Encoding Standard's, or its encoding
// is the nearest one glibc has: the web's Big5 holds the HKSCS additions,
// its EUC-KR is Microsoft's code page 949, its Shift_JIS code page 932.
constexpr EncodingName kIconvNames[] = {
    {"ISO-8859-8-I", "ISO-8859-8"}, {"x-mac-cyrillic", "MAC-CYRILLIC"},
    {"Big5", "BIG5-HKSCS"},         {"EUC-KR", "CP949"},
    {"Shift_JIS", "CP932"},         {"windows-874", "CP874"},
};

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

class IconvDecoder final : public TextDecoder {
 public:
  explicit IconvDecoder(iconv_t converter) : m_converter(converter) {}
  ~IconvDecoder() override { iconv_close(m_converter); }
  IconvDecoder(const IconvDecoder&) = delete;
  IconvDecoder& operator=(const IconvDecoder&) = delete;

  void decode(std::string_view bytes, bool last, std::string& out) override {
    if (!m_pending.empty()) {
      m_pending.append(bytes);
      std::string pending = std::move(m_pending);
      m_pending.clear();
      convert(pending, last, out);
      return;
    }
    convert(bytes, last, out);
  }

  void reset() override {
    m_pending.clear();
    iconv(m_converter, nullptr, nullptr, nullptr, nullptr);
  }

 private:
  void convert(std::string_view bytes, bool last, std::string& out) {
    // iconv's interface takes non-const pointers to input it only reads.
    char* in = const_cast<char*>(bytes.data());  // NOLINT(cppcoreguidelines-pro-type-const-cast)
    std::size_t inLeft = bytes.size();
    std::array<char, 4096> buffer;
    while (inLeft > 0) {
      char* outAt = buffer.data();
      std::size_t outLeft = buffer.size();
      const std::size_t result = iconv(m_converter, &in, &inLeft, &outAt, &outLeft);
      out.append(buffer.data(), buffer.size() - outLeft);
      if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
      if (errno == EINVAL) {
        // A character cut by the end: the next bytes complete it, or it
        // stands for one replacement.
        if (!last) {
          m_pending.assign(in, inLeft);
          return;
        }
        out += kReplacement;
        break;
      }
      // A byte that is no character, or one cut by the end of the text.
      out += kReplacement;
      ++in;
      --inLeft;
    }
    if (last) {
      // A stateful encoding returns to its initial state.
      char* outAt = buffer.data();
      std::size_t outLeft = buffer.size();
      iconv(m_converter, nullptr, nullptr, &outAt, &outLeft);
      out.append(buffer.data(), buffer.size() - outLeft);
    }
  }

  iconv_t m_converter;
  std::string m_pending;
};

}  // namespace

std::unique_ptr<TextDecoder> openTextDecoder(std::string_view encoding) {
  std::string name(encoding);
  for (const EncodingName& known : kIconvNames)
    if (known.encoding == encoding) name = known.iconvName;
  const iconv_t converter = iconv_open("UTF-8", name.c_str());
  // iconv_open's failure is (iconv_t)-1.
  if (reinterpret_cast<std::intptr_t>(converter) == -1) return nullptr;
  return std::make_unique<IconvDecoder>(converter);
}

}  // namespace qorv
