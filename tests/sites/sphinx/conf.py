project = "Sphinx example"
author = "Quorvex"
copyright = "2024, Quorvex"
extensions = ["sphinx_sitemap"]
html_baseurl = "https://sphinx.example.org/"
html_theme = "alabaster"
# sphinx_sitemap puts the language and the version before each page, for
# sites published under /en/latest/ and the like; Sphinx's language is
# "en" by default, so without this every URL of the sitemap would start
# with an /en/ that this site does not have.
sitemap_url_scheme = "{link}"
