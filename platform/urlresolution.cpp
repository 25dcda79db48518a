#include "platform/urlresolution.h"

#include <uriparser/Uri.h>

#include <new>

namespace qorv {

namespace {

/// A parsed URI that frees its parts when it goes.
class ParsedUri {
 public:
  ParsedUri() = default;
  ~ParsedUri() { uriFreeUriMembersA(&m_uri); }
  ParsedUri(const ParsedUri&) = delete;
  ParsedUri& operator=(const ParsedUri&) = delete;

  bool parse(std::string_view text) {
    const char* errorAt = nullptr;
    return uriParseSingleUriExA(&m_uri, text.data(), text.data() + text.size(), &errorAt) ==
           URI_SUCCESS;
  }

  UriUriA* get() { return &m_uri; }

 private:
  UriUriA m_uri{};
};

}  // namespace

std::optional<std::string> resolveUrlReference(std::string_view base, std::string_view reference) {
  ParsedUri parsedBase;
  ParsedUri parsedReference;
  if (!parsedBase.parse(base) || !parsedReference.parse(reference)) return std::nullopt;
  ParsedUri resolved;
  const int result = uriAddBaseUriExA(resolved.get(), parsedReference.get(), parsedBase.get(),
                                      URI_RESOLVE_STRICTLY);
  if (result == URI_ERROR_MALLOC) throw std::bad_alloc();
  if (result != URI_SUCCESS) return std::nullopt;
  int length = 0;
  if (uriToStringCharsRequiredA(resolved.get(), &length) != URI_SUCCESS) return std::nullopt;
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  if (uriToStringA(text.data(), resolved.get(), length + 1, nullptr) != URI_SUCCESS)
    return std::nullopt;
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace qorv
