# The program's version, its installed layout and its Debian package.
#
# Installed layout (under the prefix, or /usr in the package):
#   bin/quorrel, bin/quorrel-cli
#   share/quorrel/{bak,template,help}   resources, found from bin/ as ../share/quorrel
#   share/applications/quorrel.desktop, share/icons/hicolor/scalable/apps/quorrel.svg
#   share/man/man1/quorrel.1.gz, share/man/man1/quorrel-cli.1.gz
#   share/doc/quorrel/{copyright,changelog.gz}
# Smarty and jQuery are not copied into share/quorrel/bak: links point at the
# files of their Debian packages, and each generation run copies the files
# into the site.

foreach(program quorrel-cli quorrel)
  if(TARGET ${program})
    target_compile_definitions(${program} PRIVATE QUORREL_VERSION="${PROJECT_VERSION}")
  endif()
endforeach()

# The resources are looked up as ../share/quorrel from the executables'
# folder (TFolders::ResourceFolderOf): these two folders belong together.
set(QUORREL_INSTALL_BIN bin)
set(QUORREL_INSTALL_SHARE share)

install(TARGETS quorrel-cli RUNTIME DESTINATION ${QUORREL_INSTALL_BIN})
if(TARGET quorrel)
  install(TARGETS quorrel RUNTIME DESTINATION ${QUORREL_INSTALL_BIN})
endif()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/site/bak ${CMAKE_SOURCE_DIR}/site/template ${CMAKE_SOURCE_DIR}/site/help
  DESTINATION ${QUORREL_INSTALL_SHARE}/quorrel)
install(CODE "
  set(bak \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${QUORREL_INSTALL_SHARE}/quorrel/bak\")
  file(GLOB smarty_entries RELATIVE \"${QUORREL_SMARTY_DIR}\" \"${QUORREL_SMARTY_DIR}/*\")
  foreach(entry \${smarty_entries})
    file(REMOVE_RECURSE \"\${bak}/smarty/\${entry}\")
    file(CREATE_LINK \"${QUORREL_SMARTY_DIR}/\${entry}\" \"\${bak}/smarty/\${entry}\" SYMBOLIC)
  endforeach()
  file(MAKE_DIRECTORY \"\${bak}/include/js\")
  file(REMOVE \"\${bak}/include/js/jquery.js\")
  file(CREATE_LINK \"${QUORREL_JQUERY_FILE}\" \"\${bak}/include/js/jquery.js\" SYMBOLIC)
")

install(FILES ${CMAKE_SOURCE_DIR}/dist/quorrel.desktop DESTINATION ${QUORREL_INSTALL_SHARE}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/dist/quorrel.svg
  DESTINATION ${QUORREL_INSTALL_SHARE}/icons/hicolor/scalable/apps)

# Manual pages and the change log, compressed as Debian wants them.
set(QUORREL_DIST ${CMAKE_BINARY_DIR}/dist)
set(QUORREL_DIST_FILES)
foreach(page quorrel.1 quorrel-cli.1 changelog)
  configure_file(${CMAKE_SOURCE_DIR}/dist/${page}.in ${QUORREL_DIST}/${page} @ONLY)
  add_custom_command(OUTPUT ${QUORREL_DIST}/${page}.gz
    COMMAND sh -c "gzip -9n < ${page} > ${page}.gz"
    WORKING_DIRECTORY ${QUORREL_DIST}
    DEPENDS ${QUORREL_DIST}/${page}
    VERBATIM)
  list(APPEND QUORREL_DIST_FILES ${QUORREL_DIST}/${page}.gz)
endforeach()
add_custom_target(dist ALL DEPENDS ${QUORREL_DIST_FILES})
install(FILES ${QUORREL_DIST}/quorrel.1.gz ${QUORREL_DIST}/quorrel-cli.1.gz
  DESTINATION ${QUORREL_INSTALL_SHARE}/man/man1)
install(FILES ${QUORREL_DIST}/changelog.gz ${CMAKE_SOURCE_DIR}/dist/copyright
  DESTINATION ${QUORREL_INSTALL_SHARE}/doc/quorrel)

# The Debian package: cpack -G DEB in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Quorrel developers <quorrel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop code generator for PHP + Smarty web sites")
set(CPACK_PACKAGE_DESCRIPTION
  "Quorrel describes a web site's data model as projects, classes and typed\n"
  "members, and generates from it a MySQL CREATE TABLE script and a PHP +\n"
  "Smarty administration site: one controller and a list, add and edit page\n"
  "per class, a menu page and the site's fixed files.\n"
  "\n"
  "The package holds the Qt desktop program quorrel and the command-line\n"
  "program quorrel-cli. The user's model and the generated sites are kept in\n"
  "~/.local/share/quorrel.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# The program's libraries come from dpkg-shlibdeps (Qt 6, SQLite, MariaDB's
# C connector, OpenSSL's libcrypto, the C++ run time); the site's Smarty and
# jQuery and Qt's display plugins are named here. diff (quorrel-cli diff and
# the preview run it) is in diffutils, an essential package that every
# system has.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "smarty4, libjs-jquery")
if(TARGET quorrel)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", qt6-qpa-plugins")
endif()
find_program(QUORREL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QUORREL_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libc6, libstdc++6, libgcc-s1, libsqlite3-0, libmariadb3, libssl3")
  if(TARGET quorrel)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libqt6core6, libqt6gui6, libqt6widgets6")
  endif()
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "php-cli, php-mysql, php-gd, php-mbstring, mariadb-server")
include(CPack)
