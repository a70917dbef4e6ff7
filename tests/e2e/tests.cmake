# End-to-end tests of the Linux desktop saver: each starts its own Xvfb and drives the real
# `morgrave` with xdotool, reading screenshots; HOME and XDG folders are private to each test.
find_package(Python3 COMPONENTS Interpreter)
find_program(MG_XVFB Xvfb)
find_program(MG_XDOTOOL xdotool)
find_program(MG_XWD xwd)
if(NOT Python3_Interpreter_FOUND OR NOT MG_XVFB OR NOT MG_XDOTOOL OR NOT MG_XWD)
  message(STATUS "e2e: Xvfb, xdotool, xwd or python3 missing; the desktop end-to-end tests are skipped")
  return()
endif()

# Modules the saver loads in the tests, built whenever it is: password services that refuse, accept, crash,
# abort, exit or never answer (each as password.so in a folder of its own), the password-change stand-in
# ("MPR.DLL" is looked up as mpr.so) and the clock the sound tests preload.
function(mg_e2e_module target source name folder)
  add_library(${target} MODULE ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${source})
  target_compile_definitions(${target} PRIVATE ${ARGN})
  target_link_libraries(${target} PRIVATE ${CMAKE_DL_LIBS})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
                        LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/e2e-modules/${folder})
  add_dependencies(morgrave ${target})
endfunction()
set(MG_E2E_PASSWORD_KINDS refuse accept crash abort exit hang)
foreach(answer IN LISTS MG_E2E_PASSWORD_KINDS)
  list(FIND MG_E2E_PASSWORD_KINDS ${answer} index)
  mg_e2e_module(e2e_password_${answer} password_module.c password ${answer} MG_ANSWER=${index})
endforeach()
mg_e2e_module(mg_e2e_mpr mpr_module.c mpr mpr)
mg_e2e_module(e2e_fixed_clock fixed_clock.c fixed_clock .)

set(MG_E2E_DIR ${CMAKE_CURRENT_LIST_DIR})
set(MG_E2E_ART "${PROJECT_SOURCE_DIR}/res/art")

function(mg_e2e_test name script timeout)
  add_test(NAME e2e_${name}
           COMMAND ${Python3_EXECUTABLE} ${MG_E2E_DIR}/${script} --exe $<TARGET_FILE:morgrave>
                   --art ${MG_E2E_ART} --modules ${PROJECT_BINARY_DIR}/e2e-modules ${ARGN})
  # Screenshots of the dialogs land in e2e-media/ of the build tree.
  set_tests_properties(e2e_${name} PROPERTIES LABELS e2e TIMEOUT ${timeout} ENVIRONMENT
                       "PYTHONPATH=${PROJECT_SOURCE_DIR}/tests/lib;MORGRAVE_MEDIA_DIR=${PROJECT_BINARY_DIR}/e2e-media")
endfunction()

foreach(case fullscreen_1024 fullscreen_640 fullscreen_1920 fullscreen_depth30 input monitors preview depth8)
  mg_e2e_test(${case} e2e_desktop.py 120 --case ${case})
endforeach()
# Tests that time what the screen or the sound device shows run alone, away from other load.
set_tests_properties(e2e_fullscreen_1024 PROPERTIES RUN_SERIAL TRUE)
mg_e2e_test(password e2e_password.py 120)

foreach(case defaults stores close nested password)
  mg_e2e_test(settings_${case} settings_dialogs.py 240 --case ${case})
endforeach()
mg_e2e_test(xscreensaver e2e_xscreensaver.py 120)

# Sound: the saver's own clock fixed like the recorder's, so the recorder's log names the cues.
if(TARGET morgrave-record)
  mg_e2e_test(sound e2e_sound.py 180 --recorder $<TARGET_FILE:morgrave-record>
              --clock ${PROJECT_BINARY_DIR}/e2e-modules/fixed_clock.so)
  set_tests_properties(e2e_sound PROPERTIES RUN_SERIAL TRUE)
  mg_e2e_test(xscreensaver_options e2e_sound.py 120 --case options --recorder $<TARGET_FILE:morgrave-record>
              --clock ${PROJECT_BINARY_DIR}/e2e-modules/fixed_clock.so)
endif()

# The posix window back-end on its own, against a private X server.
if(TARGET GTest::gtest_main)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(MG_E2E_SDL2 REQUIRED IMPORTED_TARGET sdl2)
  pkg_check_modules(MG_E2E_X11 REQUIRED IMPORTED_TARGET x11)
  add_executable(test_posix_window ${CMAKE_CURRENT_LIST_DIR}/test_posix_window.cpp)
  target_link_libraries(test_posix_window PRIVATE mg_platform_posix GTest::gtest_main PkgConfig::MG_E2E_SDL2
                        PkgConfig::MG_E2E_X11 mg_warnings)
  add_test(NAME e2e_posix_window COMMAND ${Python3_EXECUTABLE} ${MG_E2E_DIR}/../lib/harness.py with-xvfb
           $<TARGET_FILE:test_posix_window>)
  set_tests_properties(e2e_posix_window PROPERTIES LABELS e2e TIMEOUT 120)

  # Password modules on the same back-end: no display needed, so a fast test.
  add_executable(test_posix_modules ${CMAKE_CURRENT_LIST_DIR}/test_posix_modules.cpp)
  target_link_libraries(test_posix_modules PRIVATE mg_platform_posix GTest::gtest mg_warnings)
  target_compile_definitions(test_posix_modules PRIVATE MG_MODULES_DIR="${PROJECT_BINARY_DIR}/e2e-modules")
  foreach(answer IN LISTS MG_E2E_PASSWORD_KINDS)
    add_dependencies(test_posix_modules e2e_password_${answer})
  endforeach()
  add_test(NAME posix_modules COMMAND test_posix_modules)
endif()
