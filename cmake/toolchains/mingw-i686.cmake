# The 32-bit Windows DLL, as applications load it.  This machine cannot run
# its programs: the DLL is checked statically (tests/windows/check_dll.py).
set(MIRBAX_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
