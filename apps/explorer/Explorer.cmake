# The explorer program (also built by the window tests when the demo programs are not).
file(GLOB explorer_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/apps/explorer/*.cpp)
add_executable(explorer ${explorer_sources})
target_link_libraries(explorer PRIVATE corelib numlib chartlib ctrllib geolib chemlib)
# Entries find the suite's sample files through the source folder.
target_compile_definitions(explorer PRIVATE ZOL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
if(TARGET hostlib)
  target_link_libraries(explorer PRIVATE hostlib)
  target_compile_definitions(explorer PRIVATE ZOL_EXPLORER_WINDOWS=1)
endif()
