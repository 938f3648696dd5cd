# pk_add_windows_programs(NAME <name> TITLE <title> VERSION <x.y.z> ICON <file.ico>
#                         DESCRIPTION <text> SHIPPED <folder> README <file> LICENSE <file>
#                         LIBRARIES <program libraries>)
# Builds a program for Windows: <name>.exe (the window), <name>-headless.exe (the scripted
# device, a console program), and the portable zip <name>-<version>-windows-x64.zip with
# both, the files that ship on the device, a readme and the licence. Both programs find the
# shipped files where they are in the zip, in share/<name>/device beside them.
function(pk_add_windows_programs)
  set(PK_WIN32_DIR ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
  cmake_parse_arguments(W "" "NAME;TITLE;VERSION;ICON;DESCRIPTION;SHIPPED;README;LICENSE" "LIBRARIES" ${ARGN})
  string(REPLACE "." "," PK_VERSION_COMMAS "${W_VERSION},0")
  set(PK_NAME ${W_NAME})
  set(PK_TITLE ${W_TITLE})
  set(PK_VERSION ${W_VERSION})
  set(PK_ICON ${W_ICON})
  set(PK_DESCRIPTION ${W_DESCRIPTION})
  set(PK_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${W_NAME}.manifest)
  configure_file(${PK_WIN32_DIR}/program.manifest.in ${PK_MANIFEST} @ONLY)
  configure_file(${PK_WIN32_DIR}/program.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${W_NAME}-win32.rc @ONLY)

  add_executable(${W_NAME} WIN32 ${PK_WIN32_DIR}/main.cpp ${CMAKE_CURRENT_BINARY_DIR}/${W_NAME}-win32.rc)
  target_link_libraries(${W_NAME} PRIVATE pocket-host-win32 ${W_LIBRARIES})
  set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/${W_NAME}-win32.rc APPEND PROPERTY OBJECT_DEPENDS
               ${W_ICON} ${PK_MANIFEST})
  add_executable(${W_NAME}-headless ${CMAKE_SOURCE_DIR}/pocket/host/headless/main.cpp
                 ${CMAKE_CURRENT_BINARY_DIR}/${W_NAME}-win32.rc)
  target_link_libraries(${W_NAME}-headless PRIVATE pocket-host-headless ${W_LIBRARIES})

  # Run from the build folder, the programs find the shipped files as in the zip.
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/share/${W_NAME})
  file(CREATE_LINK ${W_SHIPPED} ${CMAKE_BINARY_DIR}/share/${W_NAME}/device SYMBOLIC)

  set(folder ${W_NAME}-${W_VERSION}-windows-x64)
  set(stage ${CMAKE_BINARY_DIR}/zip/${folder})
  set(zip ${CMAKE_BINARY_DIR}/${folder}.zip)
  file(GLOB shipped ${W_SHIPPED}/Windows/*)
  add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/zip ${zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/share/${W_NAME}/device/Windows
    COMMAND ${CMAKE_STRIP} -o ${stage}/${W_NAME}.exe $<TARGET_FILE:${W_NAME}>
    COMMAND ${CMAKE_STRIP} -o ${stage}/${W_NAME}-headless.exe $<TARGET_FILE:${W_NAME}-headless>
    COMMAND ${CMAKE_COMMAND} -E copy ${shipped} ${stage}/share/${W_NAME}/device/Windows
    # Text files with the line ends Notepad expects.
    COMMAND sed "s/$/\\r/" ${W_README} > ${stage}/README.txt
    COMMAND sed "s/$/\\r/" ${W_LICENSE} > ${stage}/LICENSE.txt
    COMMAND ${CMAKE_COMMAND} -E touch_nocreate ${stage}
    COMMAND cd ${CMAKE_BINARY_DIR}/zip && zip -q -X -9 -r ${zip} ${folder}
    DEPENDS ${W_NAME} ${W_NAME}-headless ${shipped} ${W_README} ${W_LICENSE}
    COMMENT "Packing ${folder}.zip" VERBATIM)
  add_custom_target(${W_NAME}-zip ALL DEPENDS ${zip})
endfunction()
