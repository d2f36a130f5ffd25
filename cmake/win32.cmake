# The 32-bit Windows build, included by the top-level CMakeLists.txt when the
# target is Windows (see cmake/mingw-i686.cmake for the cross toolchain).
#
# vestrun.exe is a GUI program built from the portable core and the Win32 host.
# vestcomp.exe, a console program, comes from the top-level file.
enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# Exact printf of doubles (mingw's own printf family instead of msvcrt's); the
# toolchain file sets it too, but a CMAKE_CXX_FLAGS given on the command line
# would replace that.
foreach(target vestil_base vestil_interp vestil_data vestil_dialogs vestil_gui vestil_runtime vestcomp_lib vestcomp vestil_source_run)
  if(TARGET ${target})
    target_compile_definitions(${target} PRIVATE __USE_MINGW_ANSI_STDIO=1)
  endif()
endforeach()

# The program icon "VESTIL", drawn by a script so that no binary is kept.
set(VESTIL_RESOURCE_DIR ${CMAKE_CURRENT_BINARY_DIR}/resources)
add_custom_command(
  OUTPUT ${VESTIL_RESOURCE_DIR}/vestil.ico
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VESTIL_RESOURCE_DIR}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/resources/make_icon.py
          ${VESTIL_RESOURCE_DIR}/vestil.ico
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/make_icon.py
  COMMENT "Drawing the program icon"
  VERBATIM)
set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/resources/vestrun.rc PROPERTIES
  OBJECT_DEPENDS ${VESTIL_RESOURCE_DIR}/vestil.ico)

# The icons and cursors that scripts draw and set, drawn by a script too.
set(VESTIL_IMAGE_FILES)
foreach(icon baum computer dos drucker editor eimer eis fileicon gesicht knopf1 knopf2
             muell muenze sand stein text wasser weg windows)
  list(APPEND VESTIL_IMAGE_FILES ${VESTIL_RESOURCE_DIR}/${icon}.ico)
endforeach()
foreach(cursor drucker schieben groesse)
  list(APPEND VESTIL_IMAGE_FILES ${VESTIL_RESOURCE_DIR}/${cursor}.cur)
endforeach()
add_custom_command(
  OUTPUT ${VESTIL_IMAGE_FILES}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/resources/make_images.py ${VESTIL_RESOURCE_DIR}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/make_images.py
  COMMENT "Drawing the icons and cursors"
  VERBATIM)
set_property(SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/resources/vestrun.rc APPEND PROPERTY
  OBJECT_DEPENDS ${VESTIL_IMAGE_FILES})

file(GLOB VESTIL_WIN32_SOURCES CONFIGURE_DEPENDS src/platform/win32/*.cpp)
list(FILTER VESTIL_WIN32_SOURCES EXCLUDE REGEX "/main\\.cpp$")
add_library(vestil_win32_host STATIC ${VESTIL_WIN32_SOURCES})
target_compile_definitions(vestil_win32_host PUBLIC __USE_MINGW_ANSI_STDIO=1)
target_link_libraries(vestil_win32_host PUBLIC vestil_interp comdlg32 user32 gdi32 kernel32 shell32 ole32 winmm)

add_executable(vestrun WIN32 src/platform/win32/main.cpp resources/vestrun.rc)
target_include_directories(vestrun PRIVATE ${VESTIL_RESOURCE_DIR})
target_link_libraries(vestrun PRIVATE vestil_runtime vestil_win32_host vestil_source_run)
# User procedures may recurse deeply: 16 MiB of stack instead of 1 MiB.
target_link_options(vestrun PRIVATE -mwindows -Wl,--stack,16777216)

# The appended-program convention: the 32-bit value at file offset 0x80 of
# vestrun.exe is the offset of a program appended to the executable (0 in a
# plain runner), and the PE header starts at 0x100. GNU ld puts the PE header
# at 0x80, so it is moved after every link. The binder (vestcomp bind) writes
# the offset and appends the program. (The native runner has the same
# convention in its own form: it carries the marker "<<VESTIL-APPEND-SLOT>>"
# followed by the 4 bytes that the binder patches.)
add_custom_command(TARGET vestrun POST_BUILD
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tools/pe_relocate.py
          $<TARGET_FILE:vestrun>
  COMMENT "Moving the PE header of vestrun.exe to 0x100"
  VERBATIM)
