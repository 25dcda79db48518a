#include "fuzz/sitemapcheck.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <memory>

namespace qorv::fuzz {

namespace {

bool isElement(const xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE &&
         xmlStrEqual(node->name, reinterpret_cast<const xmlChar*>(name));
}

}  // namespace

SitemapCheck checkSitemap(std::string_view document) {
  SitemapCheck check;
  if (document.size() > static_cast<std::size_t>(INT_MAX)) {
    check.error = "document too large to check";
    return check;
  }
  const std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> context(xmlNewParserCtxt(),
                                                                             xmlFreeParserCtxt);
  if (!context) {
    check.error = "no parser";
    return check;
  }
  // No network, no external entities, and nothing printed: the verdict is
  // the caller's to report.
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE;
  const std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
      xmlCtxtReadMemory(context.get(), document.data(), static_cast<int>(document.size()),
                        "sitemap.xml", nullptr, options),
      xmlFreeDoc);
  if (!doc || !context->wellFormed || !context->nsWellFormed) {
    const xmlError* error = xmlCtxtGetLastError(context.get());
    check.error = error && error->message ? error->message : "not well-formed";
    return check;
  }
  check.wellFormed = true;
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (!root || !isElement(root, "urlset")) return check;
  for (const xmlNode* url = root->children; url; url = url->next) {
    if (!isElement(url, "url")) continue;
    ++check.urlCount;
    for (const xmlNode* field = url->children; field; field = field->next) {
      if (!isElement(field, "loc")) continue;
      xmlChar* text = xmlNodeGetContent(field);
      if (!check.locations.empty()) check.locations += '\n';
      if (text) check.locations += reinterpret_cast<const char*>(text);
      xmlFree(text);
    }
  }
  return check;
}

std::string percentDecoded(std::string_view url) {
  const auto hexValue = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string decoded;
  decoded.reserve(url.size());
  for (std::size_t i = 0; i < url.size(); ++i) {
    if (url[i] == '%' && i + 2 < url.size() && hexValue(url[i + 1]) >= 0 &&
        hexValue(url[i + 2]) >= 0) {
      decoded += static_cast<char>(hexValue(url[i + 1]) * 16 + hexValue(url[i + 2]));
      i += 2;
    } else {
      decoded += url[i];
    }
  }
  return decoded;
}

}  // namespace qorv::fuzz
