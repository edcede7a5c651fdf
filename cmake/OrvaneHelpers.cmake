# orvane_add_gtest(<name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>])
# Builds one GoogleTest executable and registers its tests with CTest. Cross builds discover
# the tests when CTest runs (through the emulator, Wine), so building never needs Wine.
function(orvane_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  # Each test executable has a directory of its own: tests write files beside the executable
  # (kestrow.ini, the data files), and the tests of one executable hold a lock on it.
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin/${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    set(mode PRE_TEST)
  else()
    set(mode POST_BUILD)
  endif()
  # One label: a second one would shift every property after it in the list that test discovery
  # writes out (the lock, the timeout and the environment were lost that way). Several labels
  # are joined ("hostile-gui"); ctest -L takes a regular expression, so -L gui still finds it.
  list(JOIN ARG_LABELS "-" labels)
  gtest_discover_tests(${name}
    DISCOVERY_MODE ${mode}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${labels}" TIMEOUT 120 RESOURCE_LOCK ${name}
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# Installs a Linux program into the programs' own directory (ORVANE_PROGRAM_DIR: the tool keeps
# its help pages and data files beside itself) and links it from bin/.
function(orvane_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION ${ORVANE_PROGRAM_DIR})
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(REMOVE \"\${bin}/${target}\")
    file(CREATE_LINK \"${ORVANE_LINK_DIR}/${target}\" \"\${bin}/${target}\" SYMBOLIC)
    message(STATUS \"Installing: \${bin}/${target} -> ${ORVANE_LINK_DIR}/${target}\")")
endfunction()
