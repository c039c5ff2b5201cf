# Installation and the Debian package.
#
# `cmake --install BUILD [--prefix PREFIX]` (DESTDIR honoured) puts the tool and its two converters
# in one folder, bin/, because the tool looks for its converters beside itself. The list generator
# vrk-gen-list makes test and benchmark inputs and is not installed. `cmake --build BUILD --target
# package` makes BUILD/vrk-split-merge_<version>_<arch>.deb on Linux.

include(GNUInstallDirs)

set(VSM_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)

# Directories made by the installation are 0755 whatever the umask of the one who builds.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS vrk-split-merge vrk2mvt mvt2vrk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES README.md docs/vrk-format.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The documents and pictures that README.md links to, at the same relative paths, so that its
# links work in the installed copy too; a new document is installed without naming it here.
file(GLOB VSM_LINKED_DOCUMENTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/*.md
     ${CMAKE_SOURCE_DIR}/docs/*.png)
install(FILES ${VSM_LINKED_DOCUMENTS} DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
install(FILES examples/README.md examples/west.txt examples/east.txt examples/north.txt
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(FILES examples/demo/demo_job.txt DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples/demo)
install(FILES examples/demo/VrkKeep/sat_position.txt
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples/demo/VrkKeep)

if(NOT UNIX OR APPLE)
  return()
endif()

if(VSM_BUILD_GUI)
  install(FILES ${VSM_PACKAGING_DIR}/vrk-split-merge.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${VSM_PACKAGING_DIR}/vrk-split-merge.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# Manual pages and the changelog are made from their templates with the project's version, and
# installed compressed, as Debian wants them: gzip -9n leaves no name or time stamp in the file,
# so the same sources give the same bytes.
find_program(VSM_GZIP gzip REQUIRED)

function(vsm_gzip_file source compressed)
  get_filename_component(plain ${compressed} NAME_WLE)
  set(copy ${CMAKE_BINARY_DIR}/packaging/${plain})
  add_custom_command(
    OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND ${VSM_GZIP} -9nf ${copy}
    DEPENDS ${source}
    COMMENT "Compressing ${plain}"
    VERBATIM)
endfunction()

set(VSM_MANUAL_PAGES vrk-split-merge.1 vrk2mvt.1 mvt2vrk.1)
set(VSM_COMPRESSED_FILES)
foreach(page IN LISTS VSM_MANUAL_PAGES)
  set(page_with_version ${CMAKE_BINARY_DIR}/generated/man/${page})
  configure_file(${CMAKE_SOURCE_DIR}/docs/man/${page}.in ${page_with_version} @ONLY)
  set(compressed ${CMAKE_BINARY_DIR}/packaging/${page}.gz)
  vsm_gzip_file(${page_with_version} ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  list(APPEND VSM_COMPRESSED_FILES ${compressed})
endforeach()

set(VSM_CHANGELOG_WITH_VERSION ${CMAKE_BINARY_DIR}/generated/packaging/changelog)
configure_file(${VSM_PACKAGING_DIR}/changelog.in ${VSM_CHANGELOG_WITH_VERSION} @ONLY)
set(VSM_CHANGELOG ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
vsm_gzip_file(${VSM_CHANGELOG_WITH_VERSION} ${VSM_CHANGELOG})
list(APPEND VSM_COMPRESSED_FILES ${VSM_CHANGELOG})
install(FILES ${VSM_CHANGELOG} ${VSM_PACKAGING_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# README.md links to LICENSE; the copyright file holds the licence, and a link to it is not a
# second licence file to Debian.
set(VSM_LICENSE_LINK ${CMAKE_BINARY_DIR}/packaging/LICENSE)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
file(CREATE_LINK copyright ${VSM_LICENSE_LINK} SYMBOLIC)
install(FILES ${VSM_LICENSE_LINK} DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(VSM_BUILD_GUI)
  # What the software centres show of the tool, with the releases of the changelog
  # (cmake/AppStream.cmake).
  include(${CMAKE_SOURCE_DIR}/cmake/AppStream.cmake)
  vsm_configure_metainfo(${VSM_CHANGELOG_WITH_VERSION} VSM_METAINFO)
  install(FILES ${VSM_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

add_custom_target(vsm_compressed_docs ALL DEPENDS ${VSM_COMPRESSED_FILES})

set(VSM_PACKAGE_MAINTAINER
    "VRK Split & Merge maintainers <maintainers@users.noreply.c-seed-98811a2a.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vrk-split-merge)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VSM_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "merge and split satellite receiver channel lists")
# One string (not a list of them); lines of at most 72 characters, none starting with a dot.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "VRK Split & Merge loads a satellite receiver's channel list (a binary\n"
  "file or its tab-separated text form), merges further lists into it,\n"
  "and saves the result or splits it into one list per antenna or per\n"
  "provider. Radios, favourites and antennas that are not preferred can\n"
  "be left out, and providers can be renamed after the antenna or the\n"
  "satellite's orbital position. Every split writes a batch script that\n"
  "merges its pieces again; batch scripts also run without a window.\n"
  "\n"
  "The package holds the desktop tool and the converters vrk2mvt and\n"
  "mvt2vrk between the binary .vrk form and the text form.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VSM_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
