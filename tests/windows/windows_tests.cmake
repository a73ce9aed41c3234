# The Windows builds' own checks (included from tests/CMakeLists.txt).

# The export table of MIRBAX.dll, read with objdump; on 32-bit x86 also the
# calling conventions of its entry points, from the disassembly.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(MIRBAX_OBJDUMP NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-objdump REQUIRED)
set(_conventions "")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(_conventions --calling-conventions)
endif()
add_test(NAME dll_exports
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/windows/check_dll.py
    --dll $<TARGET_FILE:mirbax> --objdump ${MIRBAX_OBJDUMP}
    --exports ${MIRBAX_EXPORTS_DIR}/exports.txt --definition ${MIRBAX_EXPORTS_DIR}/mirbax.def
    --vb-arguments ${MIRBAX_EXPORTS_DIR}/vb_arguments.txt ${_conventions})
set_tests_properties(dll_exports PROPERTIES LABELS "windows")

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  # The DLLs themselves, loaded as an application loads them (under wine).
  mirbax_test_suite(windows LABELS "windows" LINK NONE)
  if(TARGET tests_windows)
    target_compile_definitions(tests_windows PRIVATE
      MIRBAX_DLL_NAME="$<TARGET_FILE_NAME:mirbax>" MIRBAX_SIM_DLL_NAME="$<TARGET_FILE_NAME:mirbax-sim>")
    target_include_directories(tests_windows PRIVATE ${PROJECT_SOURCE_DIR}/library/include
      ${PROJECT_SOURCE_DIR})
    # The Windows backend itself, for its own edges (backend_test.cpp).
    target_sources(tests_windows PRIVATE $<TARGET_OBJECTS:mirbax_platform_win32>)
    target_link_libraries(tests_windows PRIVATE setupapi)
    add_dependencies(tests_windows mirbax mirbax-sim)
    # The DLLs beside the suite, where the loader looks first.
    add_custom_command(TARGET tests_windows POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:mirbax> $<TARGET_FILE:mirbax-sim>
              $<TARGET_FILE_DIR:tests_windows>)
  endif()
endif()
