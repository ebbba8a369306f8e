# Install layout and the Debian package. Included at the end of the top
# CMakeLists.txt, after src/, so the tovrik and tovrik-split targets exist.
#
#   <prefix>/lib/tovrik/tovrik          the window program
#   <prefix>/lib/tovrik/HAND-M.CUR      its hand pointer, found beside the
#                                       program's real path; users may add
#                                       a skin folder x/ here (none installed)
#   <prefix>/bin/tovrik                 -> ../lib/tovrik/tovrik
#   <prefix>/bin/tovrik-split           (installed by src/cli)
#   <prefix>/share/applications, metainfo, icons/hicolor, man/man1
#
# and from src/lib and src/python, packaged apart as Debian lays out a library:
#   <prefix>/lib/<arch>/libtovrik.so.1*          libtovrik1
#   <prefix>/include/tovrik/tovrik.h              libtovrik-dev
#   <prefix>/lib/<arch>/libtovrik.so, pkgconfig/tovrik.pc
#   <prefix>/lib/python3/dist-packages/tovrik.*   python3-tovrik

set(TOVRIK_ASSETS ${CMAKE_CURRENT_LIST_DIR}/../assets)
cmake_path(NORMAL_PATH TOVRIK_ASSETS)
set(TOVRIK_APP_ID io.quandrel.Tovrik)
set(TOVRIK_PROGRAM_DIR lib/tovrik)

# --- The pointer beside the built program -----------------------------------
# The window loads HAND-M.CUR from its own folder, so a build run straight from
# build/bin shows the same pointer as an installed one.
if(TARGET tovrik)
    add_custom_command(
        OUTPUT ${CMAKE_BINARY_DIR}/bin/HAND-M.CUR
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TOVRIK_ASSETS}/HAND-M.CUR
                ${CMAKE_BINARY_DIR}/bin/HAND-M.CUR
        DEPENDS ${TOVRIK_ASSETS}/HAND-M.CUR
        COMMENT "Copying HAND-M.CUR beside the tovrik program"
        VERBATIM)
    add_custom_target(tovrik_cursor DEPENDS ${CMAKE_BINARY_DIR}/bin/HAND-M.CUR)
    add_dependencies(tovrik tovrik_cursor)
endif()

# --- The manual pages, compressed as Debian wants them ---------------------
find_program(TOVRIK_GZIP gzip)
foreach(page tovrik tovrik-split)
    set(source ${CMAKE_CURRENT_LIST_DIR}/../docs/${page}.1)
    cmake_path(NORMAL_PATH source)
    if(TOVRIK_GZIP)
        # -n leaves the name and time out of the header, so the file is the
        # same on every build.
        add_custom_command(
            OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.1.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
            COMMAND ${TOVRIK_GZIP} -9 -n -c ${source} > ${CMAKE_BINARY_DIR}/man/${page}.1.gz
            DEPENDS ${source}
            COMMENT "Compressing the ${page} manual page")
        list(APPEND TOVRIK_MANPAGES ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
    else()
        list(APPEND TOVRIK_MANPAGES ${source})
    endif()
endforeach()
if(TOVRIK_GZIP)
    add_custom_target(tovrik_manpage ALL DEPENDS ${TOVRIK_MANPAGES})
endif()
install(FILES ${TOVRIK_MANPAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# --- The programs -----------------------------------------------------------
if(TARGET tovrik)
    install(TARGETS tovrik RUNTIME DESTINATION ${TOVRIK_PROGRAM_DIR})
endif()
install(FILES ${TOVRIK_ASSETS}/HAND-M.CUR DESTINATION ${TOVRIK_PROGRAM_DIR})

# bin/tovrik is a relative symbolic link to the program in its own folder.
# The link is made once in the build tree and installed as it is (CMake copies
# a link as a link), which works the same for DESTDIR, --prefix and CPack.
if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
    message(FATAL_ERROR "cmake/install.cmake: CMAKE_INSTALL_BINDIR must be relative to the prefix")
endif()
cmake_path(SET _tovrik_from "/prefix/${CMAKE_INSTALL_BINDIR}")
cmake_path(SET _tovrik_to "/prefix/${TOVRIK_PROGRAM_DIR}/tovrik")
cmake_path(RELATIVE_PATH _tovrik_to BASE_DIRECTORY "${_tovrik_from}"
           OUTPUT_VARIABLE _tovrik_link_target)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
file(CREATE_LINK "${_tovrik_link_target}" ${CMAKE_BINARY_DIR}/install-links/tovrik SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/install-links/tovrik DESTINATION ${CMAKE_INSTALL_BINDIR})

# --- Desktop integration ----------------------------------------------------
install(FILES ${TOVRIK_ASSETS}/${TOVRIK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TOVRIK_ASSETS}/${TOVRIK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TOVRIK_ASSETS}/tovrik.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TOVRIK_APP_ID}.svg)
foreach(size 48x48 256x256)
    install(FILES ${TOVRIK_ASSETS}/icons/${size}/tovrik.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps
            RENAME ${TOVRIK_APP_ID}.png)
endforeach()

# --- The Debian packages (make package, or cpack -G DEB in the build folder) -
# One package per component: program (tovrik), runtime (libtovrik1), dev
# (libtovrik-dev), python (python3-tovrik).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tovrik)
set(CPACK_PACKAGE_VENDOR Quandrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quandrel <support@quandrel.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://quandrel.example/)
# Each package's description starts with its own summary line. CPack puts a
# package-wide summary before it unless that is CPack's default, so the
# default it is.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL program runtime dev python)
set(CPACK_COMPONENTS_GROUPING IGNORE)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_COMPONENT_PYTHON_DEPENDS runtime)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quandrel <support@quandrel.example>")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quandrel.example/)
# Library dependencies come from dpkg-shlibdeps; libtovrik.so.1, which it
# cannot look up in an installed package, is found in the runtime component.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# ICU, which the engine loads when it first needs a grapheme boundary, is
# out of the linker's sight too.
string(REGEX MATCH "^[0-9]+" TOVRIK_ICU_MAJOR "${ICU_VERSION}")
set(TOVRIK_ICU_PACKAGE libicu${TOVRIK_ICU_MAJOR})

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME tovrik)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION utils)
# What Qt and the engine load at run time, out of the linker's sight: the
# SVG engine for the icon, and ICU. (The .cur reader for the hand pointer,
# libqico, comes with libqt6gui6.)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "libqt6svg6, ${TOVRIK_ICU_PACKAGE}")
set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS "libreoffice-calc")
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION
"cuts a long text message into pieces that fit a text-message limit
Tovrik cuts one long text message into pieces that each fit a text-message
character limit (160, 140, 150 or a number of your own), keeping whole
words or whole sentences, or cutting at the exact length. The pieces are
listed with check marks and can be saved to text files, copied to the
clipboard or handed to LibreOffice Calc.
.
The package also holds tovrik-split, which does the same cutting on the
command line for scripts and pipes.")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libtovrik1)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "${TOVRIK_ICU_PACKAGE}")
# The shlibs file lets dpkg-shlibdeps of other packages find libtovrik.so.1
# (only the runtime package holds a library with a SONAME).
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
"library that cuts text messages into pieces that fit SMS limits
libtovrik cuts a text message into pieces at words, sentences or an exact
length, in characters or SMS units (GSM-7 or UCS-2, one SMS or the parts of
a concatenated one), numbers them within the budget and keeps graphemes
whole. It has a plain C interface.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libtovrik-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_DESCRIPTION
"library that cuts text messages into pieces - development files
The C header tovrik/tovrik.h, the libtovrik.so link and the pkg-config
file tovrik.pc, for building programs with libtovrik.")

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-tovrik)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "${TOVRIK_PYTHON_PACKAGE_DEPENDS}")
set(CPACK_DEBIAN_PYTHON_DESCRIPTION
"Python module that cuts text messages into pieces that fit SMS limits
The module tovrik: split() and sms() cut one message, split_batch() and
sms_batch() many with the GIL released, over libtovrik.")

include(CPack)
