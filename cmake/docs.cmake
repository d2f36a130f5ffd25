# The manual as a static site: mkdocs (Debian's package) renders docs/ with
# mkdocs.yml into ${CMAKE_BINARY_DIR}/site in strict mode, so a warning (a
# broken link, a missing page) fails the build. The packages install the site
# (cmake/install.cmake). Included by the top-level CMakeLists.txt.
find_program(MKDOCS_EXECUTABLE mkdocs)
if(NOT MKDOCS_EXECUTABLE)
  message(FATAL_ERROR "mkdocs not found; it renders the manual (tools/install_deps.sh installs it)")
endif()

set(VESTIL_SITE_DIR ${CMAKE_BINARY_DIR}/site)
file(GLOB_RECURSE VESTIL_DOC_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/docs/*.md ${PROJECT_SOURCE_DIR}/docs/*.png)
add_custom_command(
  OUTPUT ${VESTIL_SITE_DIR}/index.html
  COMMAND ${MKDOCS_EXECUTABLE} build --strict --quiet --clean
    --config-file ${PROJECT_SOURCE_DIR}/mkdocs.yml --site-dir ${VESTIL_SITE_DIR}
  DEPENDS ${VESTIL_DOC_SOURCES} ${PROJECT_SOURCE_DIR}/mkdocs.yml ${PROJECT_SOURCE_DIR}/tools/mkdocs_hooks.py
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  COMMENT "Rendering the manual (mkdocs build --strict)")
add_custom_target(vestil_manual ALL DEPENDS ${VESTIL_SITE_DIR}/index.html)
