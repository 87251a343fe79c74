# Installs the build into a fresh prefix and checks the simulator's tree: the modules under their
# Linux names, the vessel classes and bases, the meshes and the scenarios, and no planet files.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DMODULES="larkon;orlis;pelo_ring" -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}" RESULT_VARIABLE rc
  OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc})")
endif()
set(expected Config/Vessels/larkon.cfg Config/Earth/Base/kestrel_point.cfg Meshes/Arvex/larkon.msh
  "Scenarios/Booster recovery.scn")
foreach(module IN LISTS MODULES)
  list(APPEND expected Modules/lib${module}.so)
endforeach()
foreach(f IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "the installed tree lacks ${f}")
  endif()
endforeach()
foreach(f Config/Earth.cfg Config/Sol.cfg Modules/larkon.so)
  if(EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "the installed tree holds ${f}, which is not ours to install")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
