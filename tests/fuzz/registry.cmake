# The registry's text store: any bytes as a store file, then a write into it.
mg_add_fuzzer(fuzz_registry ${CMAKE_CURRENT_LIST_DIR}/fuzz_registry.cpp
              ${PROJECT_SOURCE_DIR}/src/platform/common/FileRegistry.cpp
              ${PROJECT_SOURCE_DIR}/src/platform/common/RegistryText.cpp)
