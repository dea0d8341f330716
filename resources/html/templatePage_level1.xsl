<?xml version="1.0" encoding="UTF-8"?>
<!-- Pages one folder below the report root (inventory, client, server, special). -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:include href="templatePage_layout.xsl"/>
  <xsl:variable name="root" select="'../'"/>
</xsl:stylesheet>
