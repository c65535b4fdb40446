# Runs makensis with the size of notepad.exe, which only the build knows:
# the folder page shows it, since the file is put in place outside a section.
#   cmake -DMAKENSIS=... -DVERSION=... -DNOTEPAD_EXE=... -DICON=... -DOUTFILE=...
#         -DSCRIPT=quillgate.nsi -P make_setup.cmake
file(SIZE "${NOTEPAD_EXE}" bytes)
math(EXPR kilobytes "(${bytes} + 1023) / 1024")
execute_process(
    COMMAND "${MAKENSIS}" -V2 -INPUTCHARSET UTF8 -DVERSION=${VERSION} -DNOTEPAD_EXE=${NOTEPAD_EXE}
            -DNOTEPAD_KB=${kilobytes} -DICON=${ICON} -DOUTFILE=${OUTFILE} "${SCRIPT}"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "makensis failed: ${result}")
endif()
