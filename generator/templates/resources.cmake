# SPDX-License-Identifier: MIT
# The project templates, embedded as type "TEMPLATE" with the numbers the
# generator's template table uses (138-151). Each file is Windows-1252
# text with CR LF line ends, written in the template language.
list(APPEND KR_PROGRAM_RESOURCES
  TEMPLATE 138 generator/templates/compiler_defs.h.tmpl
  TEMPLATE 139 generator/templates/KR761x_API.h.tmpl
  TEMPLATE 140 generator/templates/KR761x_Buffer_Struct.h.tmpl
  TEMPLATE 141 generator/templates/KR761x_Configuration.c.tmpl
  TEMPLATE 142 generator/templates/KR761x_Configuration.h.tmpl
  TEMPLATE 143 generator/templates/KR761x_Keil.wsp.tmpl
  TEMPLATE 144 generator/templates/KR761x_Main.c.tmpl
  TEMPLATE 145 generator/templates/KR761x_Raisonance.wsp.tmpl
  TEMPLATE 146 generator/templates/KR761x_SDCC.wsp.tmpl
  TEMPLATE 147 generator/templates/KR761x_USB_Descriptor.c.tmpl
  TEMPLATE 148 generator/templates/STARTUP_Keil.A51.tmpl
  TEMPLATE 149 generator/templates/STARTUP_Raisonance.A51.tmpl
  TEMPLATE 150 generator/templates/KR761x_Startup.c.tmpl
  TEMPLATE 151 generator/templates/Makefile.tmpl)
