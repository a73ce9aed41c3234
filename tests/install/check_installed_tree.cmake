# The installed tree: cmake --install into a fresh prefix, then applications
# built against it through pkg-config and through find_package(mirbax), and
# the installed tool.  Arguments: BUILD_DIR, SOURCE_DIR (this folder),
# WORK_DIR, LIBDIR (the build's CMAKE_INSTALL_LIBDIR), C_COMPILER, GENERATOR.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}\n${out}\n${err}")
  endif()
  set(OUT "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

set(CMAKE_INSTALL_LIBDIR ${LIBDIR})
set(lib ${prefix}/${CMAKE_INSTALL_LIBDIR})
foreach(file include/mirbax.h include/mirbax_functions.h include/mirbax_sim.h
             ${CMAKE_INSTALL_LIBDIR}/libmirbax.so ${CMAKE_INSTALL_LIBDIR}/libmirbax.so.0
             ${CMAKE_INSTALL_LIBDIR}/libmirbax-sim.so ${CMAKE_INSTALL_LIBDIR}/libmirbax-sim.so.0
             ${CMAKE_INSTALL_LIBDIR}/pkgconfig/mirbax.pc ${CMAKE_INSTALL_LIBDIR}/pkgconfig/mirbax-sim.pc
             ${CMAKE_INSTALL_LIBDIR}/cmake/mirbax/mirbaxConfig.cmake
             ${CMAKE_INSTALL_LIBDIR}/cmake/mirbax/mirbaxConfigVersion.cmake
             lib/udev/rules.d/69-mirbax.rules bin/mirbax)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

# pkg-config, as a Makefile would use it.
foreach(flavour sim real)
  set(package mirbax)
  if(flavour STREQUAL sim)
    set(package mirbax-sim)
  endif()
  run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${lib}/pkgconfig pkg-config --cflags --libs ${package})
  separate_arguments(flags UNIX_COMMAND "${OUT}")
  run(${C_COMPILER} ${SOURCE_DIR}/${flavour}_consumer.c ${flags} -Wl,-rpath,${lib}
      -o ${WORK_DIR}/${flavour}_pkgconfig)
  run(${WORK_DIR}/${flavour}_pkgconfig)
  if(NOT OUT MATCHES "^${flavour} ok")
    message(FATAL_ERROR "${flavour} application through pkg-config said: ${OUT}")
  endif()
endforeach()

# find_package(mirbax).
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/consumer -B ${WORK_DIR}/consumer -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_C_COMPILER=${C_COMPILER})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
foreach(flavour sim real)
  run(${WORK_DIR}/consumer/${flavour}_consumer)
  if(NOT OUT MATCHES "^${flavour} ok")
    message(FATAL_ERROR "${flavour} application through find_package said: ${OUT}")
  endif()
endforeach()

# The installed tool finds the installed libraries.
run(${prefix}/bin/mirbax --sim 8001 list)
if(NOT OUT MATCHES "8001")
  message(FATAL_ERROR "the installed tool listed: ${OUT}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
