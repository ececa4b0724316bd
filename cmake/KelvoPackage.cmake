# Debian packages: `cpack -G DEB --config build/CPackConfig.cmake`. kelvo holds the library, the
# programs, the samples and the docs; kelvo-dev the header, the CMake package, kelvo.pc and the C#
# face; python3-kelvo the Python package over kelvo's library. dpkg-shlibdeps computes what kelvo
# depends on.
set(CPACK_PACKAGE_NAME kelvo)
set(CPACK_PACKAGE_VENDOR kelvo)
set(CPACK_PACKAGE_CONTACT "kelvo developers <kelvo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Remote control of an industrial robot controller over TCP/IP")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL runtime dev python)
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_COMPONENT_PYTHON_DEPENDS runtime)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME kelvo)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
# A shlibs file, so that packages of hosts get their dependency on libkelvo_dll.so.1 computed too.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_DEV_PACKAGE_NAME kelvo-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-kelvo)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3 (>= 3.8)")
set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/python3-kelvo/postinst ${CMAKE_CURRENT_LIST_DIR}/python3-kelvo/prerm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
