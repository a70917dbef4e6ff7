# Windows tests (LABELS wine), registered in the native build when MG_WIN32_BUILD_DIR is set: the .scr's
# file format, then the saver under Wine on Xvfb, each case in a fresh prefix. Where the kernel cannot
# start 32-bit programs, Wine runs the win64 build instead (each run says which).
set(MG_WIN64_BUILD_DIR "" CACHE PATH "Build tree of the win64 preset, for Wine where 32-bit programs cannot run")
if(MG_WIN32_BUILD_DIR)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(mg_win64_dir "${MG_WIN64_BUILD_DIR}")
  if(NOT mg_win64_dir)
    get_filename_component(mg_win64_dir "${MG_WIN32_BUILD_DIR}/../win64" ABSOLUTE)
  endif()
  add_test(NAME wine_scr_format COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/check_pe.py
           ${MG_WIN32_BUILD_DIR}/src/Morgrave.scr ${PROJECT_VERSION}
           ${MG_WIN32_BUILD_DIR}/Morgrave-${PROJECT_VERSION}-win32.zip)
  set_tests_properties(wine_scr_format PROPERTIES LABELS wine TIMEOUT 60)
  foreach(t seam startup fullscreen sound password preview settings 8bit)
    add_test(NAME wine_${t} COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/wine_tests.py --case ${t}
             --win32 ${MG_WIN32_BUILD_DIR} --win64 ${mg_win64_dir} --art "${PROJECT_SOURCE_DIR}/res/art")
    # One at a time: each starts Wine, an X server and timing-sensitive input.
    set_tests_properties(wine_${t} PROPERTIES LABELS wine TIMEOUT 900 RESOURCE_LOCK wine
                         ENVIRONMENT "PYTHONPATH=${PROJECT_SOURCE_DIR}/tests/lib")
  endforeach()
endif()
