<?xml version="1.0" encoding="UTF-8"?>
<!--
  The layout of every list page of a report set. The engine hands it
    <report title="..."><column caption="..."/>...<row><cell>...</cell>...</row>...</report>
  (one cell per column in every row; cells carry their column's attributes,
  markup cells their markup). The level stylesheets include this one and set
  $root, the way from their pages up to the report root.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" encoding="UTF-8" omit-xml-declaration="yes"/>

  <xsl:template match="/report">
    <html>
      <head>
        <meta http-equiv="Content-Type" content="text/html; charset=utf-8"/>
        <title><xsl:value-of select="@title"/></title>
        <style type="text/css">
body { font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 12px; color: #202020; background: #ffffff; margin: 12px; }
table.frame { width: 100%; border-collapse: collapse; background: #1f4e79; color: #ffffff; }
table.frame td { padding: 4px 8px; }
td.brand { font-size: 15px; font-weight: bold; }
td.label { width: 90px; text-align: right; color: #c8d8e8; }
td.value { width: 220px; }
h1 { font-size: 17px; color: #1f4e79; margin: 14px 0 8px 0; }
table.list { border-collapse: collapse; }
table.list th { background: #dde6ef; text-align: left; padding: 3px 8px; border: 1px solid #b0c0d0; }
table.list td { padding: 3px 8px; border: 1px solid #d0d8e0; vertical-align: top; overflow-wrap: anywhere; }
table.list img { margin-right: 4px; }
table.list tr:nth-child(odd) td { background: #f4f7fa; }
a.style2 { color: #1a5fb4; text-decoration: none; }
a.style2:hover { text-decoration: underline; }
table.frame a.style2 { color: #ffffff; }
</style>
      </head>
      <body>
        <table class="frame">
          <tr>
            <td class="brand">Quarvel Analyzer</td>
            <td class="label">Client:</td>
            <td id="Client" class="value">&#160;</td>
          </tr>
          <tr>
            <td><a href="{$root}index.html" class="style2">Index of reports</a></td>
            <td class="label">Application:</td>
            <td id="Application" class="value">&#160;</td>
          </tr>
        </table>
        <h1><xsl:value-of select="@title"/></h1>
        <table id="result" class="list">
          <tr>
            <xsl:for-each select="column">
              <th><xsl:value-of select="@caption"/></th>
            </xsl:for-each>
          </tr>
          <xsl:for-each select="row">
            <tr>
              <xsl:for-each select="cell">
                <td><xsl:copy-of select="@*|node()"/></td>
              </xsl:for-each>
            </tr>
          </xsl:for-each>
        </table>
      </body>
    </html>
  </xsl:template>
</xsl:stylesheet>
