# Fuzzer for bitmap resources through CDib: checks, DIB sections, masks and clipped copies.
set(MG_FW_DIR ${PROJECT_SOURCE_DIR}/src/framework)
mg_add_fuzzer(fuzz_dib ${CMAKE_CURRENT_LIST_DIR}/fuzz_dib.cpp ${CMAKE_CURRENT_LIST_DIR}/DibFuzzPlatform.cpp
              ${MG_FW_DIR}/Object.cpp ${MG_FW_DIR}/GdiObject.cpp ${MG_FW_DIR}/GdiBitmap.cpp ${MG_FW_DIR}/Bitmap.cpp
              ${MG_FW_DIR}/Palette.cpp ${MG_FW_DIR}/DC.cpp ${MG_FW_DIR}/DibTypes.cpp
              ${PROJECT_SOURCE_DIR}/src/imaging/Dib.cpp ${PROJECT_SOURCE_DIR}/src/imaging/DibPalette.cpp)
