# Installation of the suite as a native library: the exported CMake package
# (find_package(Zol 1.0 COMPONENTS numlib chartlib) then Zol::numlib, …), one
# pkg-config file per library (zol-<library>.pc) and a Debian package built
# by CPack.  Runs after every library folder was added.
include(CMakePackageConfigHelpers)

set(ZOL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Zol)
install(EXPORT ZolTargets NAMESPACE Zol:: DESTINATION ${ZOL_CMAKE_DIR} COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ZolConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/ZolConfig.cmake INSTALL_DESTINATION ${ZOL_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ZolConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ZolConfig.cmake ${PROJECT_BINARY_DIR}/ZolConfigVersion.cmake
        DESTINATION ${ZOL_CMAKE_DIR} COMPONENT development)

# pkg-config: the suite's libraries each library needs (Requires) and a
# one-line description.
function(zol_pkgconfig name description requires)
  if(NOT TARGET ${name})
    return()
  endif()
  set(ZOL_PC_NAME ${name})
  set(ZOL_PC_DESCRIPTION "${description}")
  set(ZOL_PC_REQUIRES "${requires}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/zol.pc.in ${PROJECT_BINARY_DIR}/pkgconfig/zol-${name}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/zol-${name}.pc
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
endfunction()
zol_pkgconfig(corelib "ZOL Component Suite: base library and platform layer" "")
zol_pkgconfig(numlib "ZOL Component Suite: numerics" "zol-corelib")
zol_pkgconfig(chartlib "ZOL Component Suite: charts" "zol-corelib zol-numlib")
zol_pkgconfig(ctrllib "ZOL Component Suite: controls" "zol-corelib zol-numlib")
zol_pkgconfig(geolib "ZOL Component Suite: geography" "zol-corelib zol-numlib")
zol_pkgconfig(chemlib "ZOL Component Suite: chemistry" "zol-corelib zol-numlib")
zol_pkgconfig(hostlib "ZOL Component Suite: window host" "zol-corelib")

# The Debian package: libraries, headers, CMake and pkg-config files; the
# runtime dependencies come from dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME zol)
set(CPACK_PACKAGE_VENDOR "ZOL Component Suite")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Component libraries for scientific and engineering applications")
set(CPACK_PACKAGE_CONTACT "ZOL Component Suite maintainers <maintainers@zol-suite.invalid>")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "pkg-config")
set(CPACK_STRIP_FILES ON)
include(CPack)
