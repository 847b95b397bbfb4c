# The twelve project templates: type "TEMPLATE", numbers 138-149.
# Appended to the program's resource list as TYPE NUMBER FILE triples.
list(APPEND KR_PROGRAM_RESOURCES)
