# SPDX-License-Identifier: MIT
# The indenting identity stylesheet every save file is written through:
# type "XML", number 150, Windows-1252 text.
list(APPEND KR_PROGRAM_RESOURCES XML 150 settings/IndentStylesheet.xsl)
