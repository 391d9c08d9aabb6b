# Included from tests/CMakeLists.txt when hostlib is built.
# Tests of the window host: unit tests of its conversions (no display
# needed) and the window tests, which drive the explorer on a private Xvfb.
zol_add_test(test_host host hostlib)
if(TARGET test_host)
  target_include_directories(test_host SYSTEM PRIVATE ${FLTK_INCLUDE})
endif()
if(NOT TARGET explorer)
  include(${PROJECT_SOURCE_DIR}/apps/explorer/Explorer.cmake)
endif()
add_test(NAME host_windows
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/host/window_tests.sh $<TARGET_FILE:explorer>
                 ${CMAKE_CURRENT_BINARY_DIR}/window_tests)
set_tests_properties(host_windows PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 RUN_SERIAL TRUE)
