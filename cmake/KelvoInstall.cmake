# What `cmake --install` puts under the prefix: the library and kelvo.h for hosts, kelvoctl and
# kelvo-sim with the demo's samples, a CMake config package (kelvo::kelvo_dll) and kelvo.pc.
# Component runtime holds what runs, dev what builds a host, python the kelvo package for Python;
# the Debian packages follow them.
include(CMakePackageConfigHelpers)

set(KELVO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/kelvo)

# Installed programs find the library beside them, wherever the prefix is.
file(RELATIVE_PATH _lib_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(kelvoctl PROPERTIES INSTALL_RPATH "$ORIGIN/${_lib_from_bin}")

install(TARGETS kelvo_dll EXPORT kelvoTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(TARGETS kelvoctl kelvo-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(DIRECTORY tools/samples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvo/samples
    COMPONENT runtime)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)
install(FILES sim/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME README.kelvo-sim.md
    COMPONENT runtime)

# Debian's path for pure Python packages; under the prefix, so `cmake --install` keeps to it.
install(DIRECTORY python/kelvo DESTINATION lib/python3/dist-packages COMPONENT python
    FILES_MATCHING PATTERN "*.py" PATTERN "py.typed" PATTERN "__pycache__" EXCLUDE)

install(FILES src/api/kelvo.h ${PROJECT_BINARY_DIR}/include/kelvo_version.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
install(DIRECTORY bindings/csharp/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvo/csharp
    COMPONENT dev)

install(EXPORT kelvoTargets NAMESPACE kelvo:: DESTINATION ${KELVO_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(cmake/kelvoConfig.cmake.in
    ${PROJECT_BINARY_DIR}/kelvoConfig.cmake INSTALL_DESTINATION ${KELVO_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/kelvoConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/kelvoConfig.cmake ${PROJECT_BINARY_DIR}/kelvoConfigVersion.cmake
    DESTINATION ${KELVO_CMAKE_DIR} COMPONENT dev)

# kelvo.pc names its prefix relative to its own folder, so it holds under any install prefix.
file(RELATIVE_PATH KELVO_PC_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" KELVO_PC_PREFIX ${KELVO_PC_PREFIX})
configure_file(cmake/kelvo.pc.in ${PROJECT_BINARY_DIR}/kelvo.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kelvo.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
    COMPONENT dev)
