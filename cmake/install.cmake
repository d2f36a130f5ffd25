# Installing and packaging, included at the end of the top-level CMakeLists.txt.
#
# Native (Linux):   cmake --install build      bin/vestrun, bin/vestcomp,
#                   share/man/man1/vestrun.1, vestcomp.1, and in
#                   share/doc/vestil/ the README, the language guide, the
#                   examples and the manual as a site (html/, cmake/docs.cmake);
#                   cd build && cpack   gives vestil_VERSION_ARCH.deb.
# Windows (mingw):  cd build-win32 && cpack     gives vestil-VERSION-win32.zip:
#                   one folder with vestrun.exe, vestcomp.exe, README.TXT (for
#                   Windows users), LANGUAGE.TXT (the guide), EXAMPLES\ and
#                   HTML\ (the manual; open HTML\index.html), the texts with
#                   CR LF line ends.
include(GNUInstallDirs)

set(VESTIL_PROGRAMS)
foreach(target vestrun vestcomp)
  if(TARGET ${target})
    list(APPEND VESTIL_PROGRAMS ${target})
  endif()
endforeach()

file(GLOB_RECURSE VESTIL_EXAMPLES CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/examples
  ${PROJECT_SOURCE_DIR}/examples/*.vsl)

if(WIN32)
  # Copies a text file with CR LF line ends (Notepad before Windows 10 shows
  # nothing else as lines).
  function(vestil_crlf_copy source dest)
    file(READ ${source} text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${dest} "${text}")
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  endfunction()

  set(VESTIL_ZIP_DIR ${CMAKE_CURRENT_BINARY_DIR}/package)
  file(REMOVE_RECURSE ${VESTIL_ZIP_DIR})
  vestil_crlf_copy(${PROJECT_SOURCE_DIR}/docs/windows-readme.txt ${VESTIL_ZIP_DIR}/README.TXT)
  vestil_crlf_copy(${PROJECT_SOURCE_DIR}/docs/language.md ${VESTIL_ZIP_DIR}/LANGUAGE.TXT)
  foreach(example ${VESTIL_EXAMPLES})
    vestil_crlf_copy(${PROJECT_SOURCE_DIR}/examples/${example} ${VESTIL_ZIP_DIR}/EXAMPLES/${example})
  endforeach()

  install(TARGETS ${VESTIL_PROGRAMS} RUNTIME DESTINATION .)
  install(FILES ${VESTIL_ZIP_DIR}/README.TXT ${VESTIL_ZIP_DIR}/LANGUAGE.TXT DESTINATION .)
  install(DIRECTORY ${VESTIL_ZIP_DIR}/EXAMPLES/ DESTINATION EXAMPLES)
  install(DIRECTORY ${VESTIL_SITE_DIR}/ DESTINATION HTML)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME vestil-${PROJECT_VERSION}-win32)
  # The executables are stripped when linked; stripping again would move the
  # PE header of vestrun.exe back to 0x80, over the appended-program slot.
  set(CPACK_STRIP_FILES OFF)
else()
  install(TARGETS ${VESTIL_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES docs/vestrun.1 docs/vestcomp.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md docs/language.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(DIRECTORY ${VESTIL_SITE_DIR}/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/html)
  foreach(example ${VESTIL_EXAMPLES})
    get_filename_component(folder ${example} DIRECTORY)
    install(FILES examples/${example} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples/${folder})
  endforeach()

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION interpreters)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The dependencies are those of the executables (libc, libstdc++), found by
  # dpkg-shlibdeps. A library the runner loads at run time goes into
  # CPACK_DEBIAN_PACKAGE_RECOMMENDS.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the text under it.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
vestrun runs VESTIL program files (.VSC) from a terminal or a batch job,
with console text on standard output; vestcomp compiles VESTIL source
into program files, lists them back and binds a program to the runner
as a stand-alone executable.]])
  set(CPACK_STRIP_FILES ON)
endif()

set(CPACK_PACKAGE_NAME vestil)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "runner and compiler for VESTIL programs")
set(CPACK_PACKAGE_CONTACT "VESTIL developers")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
