#include "platform/gzip.h"

#include <zlib.h>

#include <algorithm>
#include <new>

namespace qorv {

namespace {

// zlib's window bits plus 16 ask for the gzip header and trailer.
constexpr int kGzipWindowBits = 15 + 16;
constexpr std::size_t kChunk = std::size_t{64} * 1024;

}  // namespace

struct GzipEncoder::State {
  z_stream stream{};
};

GzipEncoder::GzipEncoder() : m_state(std::make_unique<State>()) {
  if (deflateInit2(&m_state->stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindowBits, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::bad_alloc();
}

GzipEncoder::~GzipEncoder() { deflateEnd(&m_state->stream); }

namespace {

void deflateInto(z_stream& stream, int flush, std::string& out) {
  unsigned char buffer[kChunk];
  do {
    stream.next_out = buffer;
    stream.avail_out = sizeof buffer;
    const int result = deflate(&stream, flush);
    if (result == Z_STREAM_ERROR) throw std::bad_alloc();
    out.append(reinterpret_cast<const char*>(buffer), sizeof buffer - stream.avail_out);
  } while (stream.avail_out == 0);
}

}  // namespace

void GzipEncoder::add(std::string_view bytes, std::string& out) {
  z_stream& stream = m_state->stream;
  // zlib counts in unsigned int; a larger piece goes in several steps.
  while (!bytes.empty()) {
    const std::size_t piece = std::min<std::size_t>(bytes.size(), kChunk);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(piece);
    deflateInto(stream, Z_NO_FLUSH, out);
    bytes.remove_prefix(piece);
  }
}

void GzipEncoder::finish(std::string& out) {
  z_stream& stream = m_state->stream;
  stream.next_in = nullptr;
  stream.avail_in = 0;
  deflateInto(stream, Z_FINISH, out);
}

bool gunzip(std::string_view compressed, std::string& out) {
  out.clear();
  z_stream stream{};
  if (inflateInit2(&stream, kGzipWindowBits) != Z_OK) return false;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(compressed.size());
  unsigned char buffer[kChunk];
  int result = Z_OK;
  while (result == Z_OK) {
    stream.next_out = buffer;
    stream.avail_out = sizeof buffer;
    result = inflate(&stream, Z_NO_FLUSH);
    if (result != Z_OK && result != Z_STREAM_END) break;
    out.append(reinterpret_cast<const char*>(buffer), sizeof buffer - stream.avail_out);
  }
  const bool whole = result == Z_STREAM_END && stream.avail_in == 0;
  inflateEnd(&stream);
  return whole;
}

}  // namespace qorv
