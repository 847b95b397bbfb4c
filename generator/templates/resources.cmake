# The program's embedded resources: TYPE NUMBER FILE, one triple per resource.
# Templates are looked up by type "TEMPLATE" and number; the save-file
# stylesheet by type "XML".
set(KR_PROGRAM_RESOURCES)
