#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace qorv {

/// Compresses a stream of bytes into the gzip format, piece by piece, so
/// that a compressed copy can be written alongside a file as it is written.
class GzipEncoder {
 public:
  GzipEncoder();
  ~GzipEncoder();
  GzipEncoder(const GzipEncoder&) = delete;
  GzipEncoder& operator=(const GzipEncoder&) = delete;

  /// Compresses `bytes`, appending what is ready of the output to `out`.
  void add(std::string_view bytes, std::string& out);
  /// Ends the stream, appending the rest of the output to `out`.
  void finish(std::string& out);

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

/// The bytes of a gzip stream decompressed; nothing when it is not one.
/// For checks of what was written.
bool gunzip(std::string_view compressed, std::string& out);

}  // namespace qorv
