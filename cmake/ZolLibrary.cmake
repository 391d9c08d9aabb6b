# zol_add_library(<name> <folder>...): a shared library made of every .cpp in
# the given folders (non-recursive).  Units are added by dropping a header and
# a source into the folder; re-running CMake is automatic (CONFIGURE_DEPENDS).
function(zol_add_library name)
  set(sources)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  add_library(${name} SHARED ${sources})
  # Headers are included by their path from the project root: "math/Zol_matrix.h";
  # installed, from <prefix>/include/zol.
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
                                            $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/zol>)
  # libzol-<name>.so.<major> with the suite's version.
  # Installed, a library finds the suite's other libraries beside itself ($ORIGIN),
  # whatever the prefix.
  set_target_properties(${name} PROPERTIES OUTPUT_NAME zol-${name} VERSION ${PROJECT_VERSION}
                                           SOVERSION ${PROJECT_VERSION_MAJOR} INSTALL_RPATH "\$ORIGIN")
  add_library(Zol::${name} ALIAS ${name})
  install(TARGETS ${name} EXPORT ZolTargets
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development)
  # The headers of each folder, keeping the layout (include/zol/math/Zol_matrix.h).
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(dir IN LISTS ARGN)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h)
    if(headers)
      if(dir STREQUAL ".")
        set(dest ${CMAKE_INSTALL_INCLUDEDIR}/zol/${rel})
      else()
        set(dest ${CMAKE_INSTALL_INCLUDEDIR}/zol/${rel}/${dir})
      endif()
      install(FILES ${headers} DESTINATION ${dest} COMPONENT development)
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY ZOL_LIBRARIES ${name})
endfunction()

# zol_add_test(<name> <folder> <libs>...): one GoogleTest executable made of
# every .cpp in tests/<folder>.
function(zol_add_test name folder)
  file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT found)
    return()
  endif()
  add_executable(${name} ${found})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    ZOL_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data"
    ZOL_TEST_SRC_DIR="${CMAKE_CURRENT_SOURCE_DIR}/${folder}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1")
endfunction()
