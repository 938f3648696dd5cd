# pk_add_resources(VAR script.rc [SYMBOL name]): compiles a resource script and the
# files it names into a C++ source that defines the module image `name`
# (default pkProgramModule, the program's own module).
function(pk_add_resources outvar rcfile)
  cmake_parse_arguments(ARG "" "SYMBOL" "" ${ARGN})
  if(NOT ARG_SYMBOL)
    set(ARG_SYMBOL pkProgramModule)
  endif()
  get_filename_component(name ${rcfile} NAME_WE)
  get_filename_component(dir ${rcfile} DIRECTORY)
  file(GLOB_RECURSE inputs CONFIGURE_DEPENDS ${dir}/*)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${name}_res.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND pkrc ${rcfile} ${out} ${ARG_SYMBOL}
    DEPENDS pkrc ${inputs}
    COMMENT "Compiling resources ${name}.rc"
    VERBATIM)
  set(${outvar} ${out} PARENT_SCOPE)
endfunction()
