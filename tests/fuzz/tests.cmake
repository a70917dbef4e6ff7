# Bounded fuzz runs: each fuzzer built by the fuzz preset runs for MG_FUZZ_SECONDS on its seed
# corpus (tests/fuzz/corpus/<name>, copied to a scratch folder so new inputs stay out of the tree).
set(MG_FUZZ_SECONDS 60 CACHE STRING "Seconds each fuzzer runs under ctest")
if(MG_FUZZ_BUILD_DIR)
  file(GLOB MG_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/fuzz_*.cpp)
  foreach(src IN LISTS MG_FUZZ_SOURCES)
    get_filename_component(name ${src} NAME_WE)
    add_test(NAME ${name}
             COMMAND ${CMAKE_COMMAND} -DFUZZER=${MG_FUZZ_BUILD_DIR}/tests/fuzz/${name}
                     -DSEEDS=${CMAKE_CURRENT_LIST_DIR}/corpus/${name}
                     -DWORK=${PROJECT_BINARY_DIR}/fuzz-work/${name} -DSECONDS=${MG_FUZZ_SECONDS}
                     -P ${CMAKE_CURRENT_LIST_DIR}/run_fuzzer.cmake)
    set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 600)
  endforeach()
endif()
