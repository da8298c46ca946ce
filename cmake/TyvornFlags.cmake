# Build flags shared by both builds.
#
# Windows build: MinGW-w64 under Wine, static so no MinGW runtime DLL is needed.
# Native build: the platform-free libraries only, with sanitizers for tests.

# Same floating-point results in both builds: no fused multiply-add, no fast-math.
add_compile_options(-ffp-contract=off)

# German texts reach Windows as code page 1252 (clang, used only for fuzzing,
# knows no other execution character set than UTF-8).
add_compile_options($<$<AND:$<COMPILE_LANGUAGE:C,CXX>,$<C_COMPILER_ID:GNU>>:-fexec-charset=CP1252>)

if(WIN32)
  enable_language(RC)
  add_link_options(-static)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX STRSAFE_NO_DEPRECATE)
  # windres reads UTF-8 resource sources as such only when told.
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
  # Tests run under Wine through a wrapper that knows this build tree.
  set(TYVORN_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
  file(WRITE ${TYVORN_WINE_RUN}
       "#!/bin/sh\nTYVORN_BUILD_DIR='${CMAKE_BINARY_DIR}' exec '${CMAKE_SOURCE_DIR}/scripts/wine-run' \"$@\"\n")
  file(CHMOD ${TYVORN_WINE_RUN} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
       WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TYVORN_WINE_RUN})
else()
  option(TYVORN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
  option(TYVORN_FUZZ "Build the libFuzzer targets (clang)" OFF)
  if(TYVORN_FUZZ)
    # Undefined behaviour stops the run, so libFuzzer keeps the input that caused it.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  elseif(TYVORN_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# Our own code: warnings are errors.
function(tyvorn_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# A GoogleTest executable whose tests CTest lists one by one:
#   tyvorn_test(name sources... [PROPERTIES prop value ...])
# The properties go to every test of it (RESOURCE_LOCK display, for instance).
function(tyvorn_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PROPERTIES")
  add_executable(${name} ${arg_UNPARSED_ARGUMENTS})
  tyvorn_strict(${name})
  target_link_libraries(${name} PRIVATE gtest_main)
  set(properties)
  if(arg_PROPERTIES)
    set(properties PROPERTIES ${arg_PROPERTIES})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 DISCOVERY_MODE PRE_TEST
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} ${properties})
endfunction()
