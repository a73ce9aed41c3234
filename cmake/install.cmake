# cmake --install: headers, both libraries (with soname versions),
# pkg-config files and a CMake package (find_package(mirbax): mirbax::mirbax,
# mirbax::mirbax-sim).  The udev rules (platform/libusb), the mirbax tool
# (tools/) and Settings (setup/) install from their own folders.
include(CMakePackageConfigHelpers)

install(FILES library/include/mirbax.h library/include/mirbax_functions.h
              library/include/mirbax_sim.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS mirbax mirbax-sim EXPORT mirbaxTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT mirbaxTargets NAMESPACE mirbax:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/mirbax)

configure_package_config_file(cmake/mirbaxConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/mirbaxConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/mirbax)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/mirbaxConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/mirbaxConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/mirbaxConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/mirbax)

# The pkg-config files find their prefix from where they are installed, so
# a tree installed with --prefix or DESTDIR and moved still works.
foreach(_pc mirbax mirbax-sim)
  set(MIRBAX_PC_LIB ${_pc})
  if(_pc STREQUAL mirbax)
    set(MIRBAX_PC_DESCRIPTION "Host library for the MIRBAX USB data-acquisition boards (real boards, libusb)")
    set(MIRBAX_PC_REQUIRES "libusb-1.0")
  else()
    set(MIRBAX_PC_DESCRIPTION "The MIRBAX library over simulated boards, with their control API")
    set(MIRBAX_PC_REQUIRES "")
  endif()
  configure_file(cmake/mirbax.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${_pc}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${_pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
