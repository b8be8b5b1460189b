# Install rules: the shared object with its public header, a CMake package
# (find_package(QuorvelSharedLib 42) -> Quorvel::QuorvelSharedLib), a
# pkg-config file, and the command-line programs.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QUORVEL_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/QuorvelSharedLib)

set_target_properties(QuorvelSharedLib PROPERTIES PUBLIC_HEADER ${PROJECT_SOURCE_DIR}/include/quorveldll.h)
install(TARGETS QuorvelSharedLib EXPORT QuorvelSharedLibTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT QuorvelSharedLibTargets
    NAMESPACE Quorvel::
    DESTINATION ${QUORVEL_CMAKE_PACKAGE_DIR})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/QuorvelSharedLibConfig.cmake.in
    ${PROJECT_BINARY_DIR}/QuorvelSharedLibConfig.cmake
    INSTALL_DESTINATION ${QUORVEL_CMAKE_PACKAGE_DIR})
# The soname changes with the major version, so only that has to match.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuorvelSharedLibConfigVersion.cmake
    VERSION ${PROJECT_VERSION}
    COMPATIBILITY SameMajorVersion)
install(FILES
    ${PROJECT_BINARY_DIR}/QuorvelSharedLibConfig.cmake
    ${PROJECT_BINARY_DIR}/QuorvelSharedLibConfigVersion.cmake
    DESTINATION ${QUORVEL_CMAKE_PACKAGE_DIR})

# pkg-config paths relative to the file itself, so a relocated prefix still works.
file(RELATIVE_PATH QUORVEL_PC_TO_PREFIX
    /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" QUORVEL_PC_TO_PREFIX "${QUORVEL_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/QuorvelSharedLib.pc.in ${PROJECT_BINARY_DIR}/QuorvelSharedLib.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/QuorvelSharedLib.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# Programs: the tool finds the library beside its own prefix wherever installed.
foreach(program quorvel quorvel-gui quorvel-camsim)
    if(TARGET ${program})
        set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()
