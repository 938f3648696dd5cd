# pk_add_web_site(TARGET NAME <name> DESCRIPTION <text> THEME <#colour> ICONS <tool>
#                 LIBRARIES <program libraries>)
# Builds a program for the browser host into a static site in ${CMAKE_BINARY_DIR}/site:
# the page, program.js and program.wasm, the help pages that ship on the device, icons made
# by ICONS (a native tool that writes the program's icon as icon-SIZE.png), a web app
# manifest, and a service worker that keeps every file for offline play.
# The page's security policy names its inline scripts and style by their SHA-256, in base64.
function(pk_csp_hash text out)
  string(SHA256 hex "${text}")
  set(digits "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
  set(b64 "")
  # Three bytes (six hex digits) at a time make four digits; the last two bytes make three and "=".
  foreach(at RANGE 0 63 6)
    string(SUBSTRING "${hex}" ${at} 6 group)
    string(LENGTH "${group}" n)
    math(EXPR bits "0x${group} << ((6 - ${n}) * 4)")
    math(EXPR count "(${n} * 4 + 5) / 6")
    foreach(k RANGE 1 ${count})
      math(EXPR d "(${bits} >> (24 - ${k} * 6)) & 63")
      string(SUBSTRING "${digits}" ${d} 1 c)
      string(APPEND b64 "${c}")
    endforeach()
  endforeach()
  set(${out} "'sha256-${b64}='" PARENT_SCOPE)
endfunction()

function(pk_add_web_site target)
  set(PK_WEB_DIR ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
  cmake_parse_arguments(W "" "NAME;DESCRIPTION;THEME;ICONS" "LIBRARIES" ${ARGN})
  set(site ${CMAKE_BINARY_DIR}/site)
  set(shipped ${CMAKE_SOURCE_DIR}/device/Windows)
  file(MAKE_DIRECTORY ${site})

  add_executable(${target} ${PK_WEB_DIR}/main.cpp)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME program SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${site})
  target_link_libraries(${target} PRIVATE pocket-host-web ${W_LIBRARIES})
  # Only the page's waiting calls may suspend the program: a short list keeps the .wasm small.
  set(waits pk_web_wait,pk_web_sleep,pk_web_persist,pk_web_halt)
  # Drawing, text, the C++ library, operator new (its handler) and the C library's stdio (its
  # FILE's read and write) never call back into a window procedure or wait, but their calls
  # through pointers would get them, and everything that allocates or prints, rewritten to
  # suspend: kept out, the program is a fifth smaller and starts sooner. Anything added to
  # these must never wait; a link with -sASSERTIONS=1 traps if it does.
  set(neverWait "std::*,__cxxabiv1::*,pk::gdi::*,pk::text::*,operator new*")
  string(APPEND neverWait ",fclose,fflush,__toread,__uflow,do_getc,__fwritex,out,pad,pop_arg,fmt_fp")
  string(APPEND neverWait ",printf_core,__vfprintf_internal,vsnprintf,snprintf")
  target_link_options(${target} PRIVATE
    -sASYNCIFY "-sASYNCIFY_IMPORTS=[${waits}]" "-sASYNCIFY_REMOVE=[${neverWait}]" -sASYNCIFY_STACK_SIZE=65536 -Oz
    # Nothing of the program below 64 KB: the platform tells integer resource names from
    # pointers by that.
    -sGLOBAL_BASE=65536
    -sALLOW_MEMORY_GROWTH -sENVIRONMENT=web -sMINIFY_HTML=0 -sEXIT_RUNTIME=0
    -lidbfs.js --js-library ${PK_WEB_DIR}/pocket.js
    --embed-file ${shipped}@/shipped/Windows)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${PK_WEB_DIR}/pocket.js)
  # Emscripten's JavaScript through the closure compiler (npm, installed by make web): less
  # than half the size, and the page has that much less to parse before the program starts.
  set(closure ${PK_WEB_DIR}/node_modules/google-closure-compiler-linux/compiler)
  if(EXISTS ${closure})
    target_link_options(${target} PRIVATE --closure 1 "--closure-args=--externs=${PK_WEB_DIR}/externs.js")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${PK_WEB_DIR}/externs.js)
    set_target_properties(${target} PROPERTIES
      CXX_LINKER_LAUNCHER "${CMAKE_COMMAND};-E;env;EM_CLOSURE_COMPILER=${closure}")
  else()
    message(WARNING "No closure compiler in ${PK_WEB_DIR}/node_modules (make web installs it): "
                    "the site works, but its script is twice the size and starts slower.")
  endif()

  set(PK_WEB_NAME ${W_NAME})
  set(PK_WEB_DESCRIPTION ${W_DESCRIPTION})
  set(PK_WEB_THEME ${W_THEME})
  # The page's own scripts and style go inside the page: no request before they run.
  file(READ ${PK_WEB_DIR}/early.js PK_WEB_EARLY_SCRIPT)
  file(READ ${PK_WEB_DIR}/page.js PK_WEB_PAGE_SCRIPT)
  file(READ ${PK_WEB_DIR}/page.css PK_WEB_STYLE)
  pk_csp_hash("\n${PK_WEB_EARLY_SCRIPT}" early)
  pk_csp_hash("\n${PK_WEB_PAGE_SCRIPT}" page)
  pk_csp_hash("\n${PK_WEB_STYLE}" PK_WEB_STYLE_HASH)
  set(PK_WEB_SCRIPT_HASHES "${early} ${page}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${PK_WEB_DIR}/early.js ${PK_WEB_DIR}/page.js ${PK_WEB_DIR}/page.css)
  configure_file(${PK_WEB_DIR}/index.html ${site}/index.html @ONLY)
  configure_file(${PK_WEB_DIR}/manifest.webmanifest.in ${site}/manifest.webmanifest @ONLY)
  file(GLOB pages ${shipped}/*.htm)
  foreach(page ${pages})
    get_filename_component(n ${page} NAME)
    configure_file(${page} ${site}/${n} COPYONLY)
  endforeach()

  # Also for home screens: iOS's, opaque (it fills what is clear with black), and a maskable
  # one that Android cuts to its own shape.
  set(icons ${site}/icon-192.png ${site}/icon-512.png ${site}/icon-180-opaque.png ${site}/icon-512-maskable.png)
  add_custom_command(OUTPUT ${icons}
    COMMAND ${W_ICONS} ${site} 192 512 --opaque ${W_THEME} 180 --maskable ${W_THEME} 512
    DEPENDS ${W_ICONS} COMMENT "Making the site's icons" VERBATIM)
  # The service worker's list and version follow every file of the site.
  add_custom_target(${target}-site ALL
    COMMAND ${CMAKE_COMMAND} -DSITE=${site} -DTEMPLATE=${PK_WEB_DIR}/sw.js.in -P ${PK_WEB_DIR}/worker.cmake
    DEPENDS ${target} ${icons}
    COMMENT "Writing the service worker" VERBATIM)
endfunction()
