<?xml version="1.0" encoding="UTF-8"?>
<!-- Quorvex sitemap stylesheet. Quorvex writes this file anew with each sitemap; delete this comment to keep a changed copy. -->
<!-- Shows a sitemap in the browser as a table: a urlset of schema 0.84 or
     0.9, with its language alternates, or a sitemap index with its files.
     XSLT 1.0, the version browsers run. Nothing is fetched from elsewhere and
     nothing runs: the style is inline, and there is no script. -->
<xsl:stylesheet version="1.0"
                xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:s="http://www.sitemaps.org/schemas/sitemap/0.9"
                xmlns:g="http://www.google.com/schemas/sitemap/0.84"
                xmlns:xhtml="http://www.w3.org/1999/xhtml"
                exclude-result-prefixes="s g xhtml">
  <xsl:output method="html" encoding="UTF-8" indent="yes"
              doctype-system="about:legacy-compat"/>

  <!-- The texts, in one place. -->
  <xsl:variable name="textSitemap">Mapa webu</xsl:variable>
  <xsl:variable name="textIndex">Index mapy webu</xsl:variable>
  <xsl:variable name="textUrlsetAbout">Zoznam stránok webu pre vyhľadávače (protokol sitemaps.org).</xsl:variable>
  <xsl:variable name="textIndexAbout">Index odkazuje na súbory mapy webu; každý sa otvorí ako tabuľka.</xsl:variable>
  <xsl:variable name="textUrlCount">Počet Url:</xsl:variable>
  <xsl:variable name="textFileCount">Počet súborov:</xsl:variable>
  <xsl:variable name="textSchema">Schéma:</xsl:variable>
  <xsl:variable name="textAlternates">Jazykové verzie</xsl:variable>
  <xsl:variable name="textNotSitemap">Tento súbor nie je mapa webu: jeho koreňový prvok nie je urlset ani sitemapindex protokolu 0.84 alebo 0.9.</xsl:variable>

  <xsl:template match="/">
    <xsl:variable name="root" select="s:urlset | g:urlset | s:sitemapindex | g:sitemapindex"/>
    <xsl:variable name="firstLoc" select="normalize-space(($root/s:url/s:loc | $root/g:url/g:loc | $root/s:sitemap/s:loc | $root/g:sitemap/g:loc)[1])"/>
    <xsl:variable name="host" select="substring-before(concat(substring-after($firstLoc, '://'), '/'), '/')"/>
    <xsl:variable name="heading">
      <xsl:choose>
        <xsl:when test="s:sitemapindex | g:sitemapindex"><xsl:value-of select="$textIndex"/></xsl:when>
        <xsl:otherwise><xsl:value-of select="$textSitemap"/></xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <html lang="sk">
      <head>
        <meta name="viewport" content="width=device-width, initial-scale=1"/>
        <meta name="color-scheme" content="light dark"/>
        <title>
          <xsl:value-of select="$heading"/>
          <xsl:if test="$host != ''"> – <xsl:value-of select="$host"/></xsl:if>
        </title>
        <style>
          :root {
            color-scheme: light dark;
            --text: #1f2328; --muted: #59636e; --back: #ffffff; --stripe: #eef2f6;
            --head: #e6eaef; --line: #d1d9e0; --link: #0b5cad; --hover: #fff4cc;
          }
          @media (prefers-color-scheme: dark) {
            :root {
              --text: #e6edf3; --muted: #9aa5b1; --back: #111418; --stripe: #1c232b;
              --head: #242b33; --line: #343c46; --link: #7cb7ff; --hover: #3a3320;
            }
          }
          html { background: var(--back); color: var(--text); }
          body { font: 15px/1.45 system-ui, "Segoe UI", "DejaVu Sans", "Liberation Sans", sans-serif;
                 margin: 0 auto; padding: 1.5rem 1.25rem 3rem; max-width: 80rem; }
          h1 { font-size: 1.6rem; margin: 0 0 .35rem; font-weight: 600; }
          h1 .host { color: var(--muted); font-weight: 400; }
          p { margin: .2rem 0; }
          .about { color: var(--muted); }
          .summary { margin: .6rem 0 1rem; }
          .summary .dot { margin: 0 .3em; color: var(--muted); }
          table { border-collapse: collapse; width: 100%; }
          th, td { text-align: left; vertical-align: top; padding: .4rem .6rem;
                   border-bottom: 1px solid var(--line); }
          thead th { position: sticky; top: 0; background: var(--head); font-weight: 600;
                     white-space: nowrap; }
          tbody tr:nth-child(even) { background: var(--stripe); }
          tbody tr:hover { background: var(--hover); }
          td.n, th.n { text-align: right; color: var(--muted); width: 1%; white-space: nowrap; }
          td.loc { overflow-wrap: anywhere; }
          td.date, td.tag { white-space: nowrap; }
          a { color: var(--link); text-decoration: none; }
          a:hover { text-decoration: underline; }
          ul.alternates { list-style: none; margin: 0; padding: 0; }
          ul.alternates li { display: flex; gap: .4em; align-items: baseline; }
          ul.alternates a { overflow-wrap: anywhere; }
          .lang { flex: none; min-width: 5.6em; padding: 0 .3em;
                  border: 1px solid var(--line); border-radius: 3px; font-size: .8em;
                  text-align: center; color: var(--muted); }
        </style>
      </head>
      <body>
        <xsl:choose>
          <xsl:when test="$root">
            <h1>
              <xsl:value-of select="$heading"/>
              <xsl:if test="$host != ''">
                <xsl:text> </xsl:text>
                <span class="host"><xsl:value-of select="$host"/></span>
              </xsl:if>
            </h1>
            <xsl:apply-templates select="$root"/>
          </xsl:when>
          <xsl:otherwise>
            <h1><xsl:value-of select="$textSitemap"/></h1>
            <p><xsl:value-of select="$textNotSitemap"/></p>
          </xsl:otherwise>
        </xsl:choose>
      </body>
    </html>
  </xsl:template>

  <xsl:template name="schema">
    <span>
      <xsl:value-of select="$textSchema"/>
      <xsl:text> </xsl:text>
      <xsl:choose>
        <xsl:when test="namespace-uri() = 'http://www.sitemaps.org/schemas/sitemap/0.9'">0.9 (sitemaps.org)</xsl:when>
        <xsl:otherwise>0.84</xsl:otherwise>
      </xsl:choose>
    </span>
  </xsl:template>

  <xsl:template match="s:urlset | g:urlset">
    <xsl:variable name="urls" select="s:url | g:url"/>
    <xsl:variable name="withAlternates" select="boolean($urls/xhtml:link[@rel = 'alternate'])"/>
    <p class="about"><xsl:value-of select="$textUrlsetAbout"/></p>
    <p class="summary">
      <span><xsl:value-of select="$textUrlCount"/><xsl:text> </xsl:text><strong><xsl:value-of select="count($urls)"/></strong></span>
      <xsl:text> </xsl:text>
      <span class="dot">·</span>
      <xsl:text> </xsl:text>
      <xsl:call-template name="schema"/>
    </p>
    <table>
      <thead>
        <tr>
          <th class="n">#</th>
          <th>Url</th>
          <th>Lastmod</th>
          <th>Changefreq</th>
          <th>Priority</th>
          <xsl:if test="$withAlternates">
            <th><xsl:value-of select="$textAlternates"/></th>
          </xsl:if>
        </tr>
      </thead>
      <tbody>
        <xsl:for-each select="$urls">
          <xsl:variable name="loc" select="normalize-space(s:loc | g:loc)"/>
          <tr>
            <td class="n"><xsl:value-of select="position()"/></td>
            <td class="loc"><a href="{$loc}"><xsl:value-of select="$loc"/></a></td>
            <td class="date"><xsl:apply-templates select="s:lastmod | g:lastmod"/></td>
            <td class="tag"><xsl:value-of select="normalize-space(s:changefreq | g:changefreq)"/></td>
            <td class="tag"><xsl:value-of select="normalize-space(s:priority | g:priority)"/></td>
            <xsl:if test="$withAlternates">
              <td>
                <xsl:if test="xhtml:link[@rel = 'alternate']">
                  <ul class="alternates">
                    <xsl:for-each select="xhtml:link[@rel = 'alternate']">
                      <li>
                        <span class="lang"><xsl:value-of select="@hreflang"/></span>
                        <xsl:text> </xsl:text>
                        <a href="{@href}" hreflang="{@hreflang}"><xsl:value-of select="@href"/></a>
                      </li>
                    </xsl:for-each>
                  </ul>
                </xsl:if>
              </td>
            </xsl:if>
          </tr>
        </xsl:for-each>
      </tbody>
    </table>
  </xsl:template>

  <xsl:template match="s:sitemapindex | g:sitemapindex">
    <xsl:variable name="files" select="s:sitemap | g:sitemap"/>
    <p class="about"><xsl:value-of select="$textIndexAbout"/></p>
    <p class="summary">
      <span><xsl:value-of select="$textFileCount"/><xsl:text> </xsl:text><strong><xsl:value-of select="count($files)"/></strong></span>
      <xsl:text> </xsl:text>
      <span class="dot">·</span>
      <xsl:text> </xsl:text>
      <xsl:call-template name="schema"/>
    </p>
    <table>
      <thead>
        <tr>
          <th class="n">#</th>
          <th>Url</th>
          <th>Lastmod</th>
        </tr>
      </thead>
      <tbody>
        <xsl:for-each select="$files">
          <xsl:variable name="loc" select="normalize-space(s:loc | g:loc)"/>
          <tr>
            <td class="n"><xsl:value-of select="position()"/></td>
            <td class="loc"><a href="{$loc}"><xsl:value-of select="$loc"/></a></td>
            <td class="date"><xsl:apply-templates select="s:lastmod | g:lastmod"/></td>
          </tr>
        </xsl:for-each>
      </tbody>
    </table>
  </xsl:template>

  <!-- A date with a time reads better with a space for the "T". -->
  <xsl:template match="s:lastmod | g:lastmod">
    <xsl:value-of select="translate(normalize-space(.), 'T', ' ')"/>
  </xsl:template>
</xsl:stylesheet>
