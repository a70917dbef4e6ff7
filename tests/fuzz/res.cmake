# Fuzzers for the .res reader (with the icon and cursor lookups) and the dialog template reader.
set(MG_RES_READER_DIR ${PROJECT_SOURCE_DIR}/src/platform/common)
mg_add_fuzzer(fuzz_res ${CMAKE_CURRENT_LIST_DIR}/fuzz_res.cpp ${MG_RES_READER_DIR}/ResFile.cpp
              ${MG_RES_READER_DIR}/IconResources.cpp ${MG_RES_READER_DIR}/DialogTemplate.cpp)
mg_add_fuzzer(fuzz_dialog ${CMAKE_CURRENT_LIST_DIR}/fuzz_dialog.cpp ${MG_RES_READER_DIR}/DialogTemplate.cpp)
