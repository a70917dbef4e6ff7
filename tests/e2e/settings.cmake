# End-to-end tests of the settings mode's dialogs and of the password mode (Xvfb, xdotool).

# The password-change module stand-in ("MPR.DLL" is looked up as mpr.so).
add_library(mg_e2e_mpr MODULE ${CMAKE_CURRENT_LIST_DIR}/mpr_module.c)
target_link_libraries(mg_e2e_mpr PRIVATE mg_warnings)
set_target_properties(mg_e2e_mpr PROPERTIES PREFIX "" OUTPUT_NAME mpr
                      LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/e2e-modules/mpr)
add_dependencies(morgrave mg_e2e_mpr)  # built whenever the saver is, like the other test modules

if(NOT Python3_EXECUTABLE)
  set(Python3_EXECUTABLE python3)
endif()
# Screenshots of the three dialogs land in e2e-media/ of the build tree.
foreach(case defaults pain checkboxes close nested password)
  add_test(NAME e2e_settings_${case}
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/settings_dialogs.py --exe $<TARGET_FILE:morgrave>
                   --case ${case} --modules $<TARGET_FILE_DIR:mg_e2e_mpr>)
  set_tests_properties(e2e_settings_${case} PROPERTIES LABELS e2e TIMEOUT 240
                       ENVIRONMENT "MORGRAVE_MEDIA_DIR=${PROJECT_BINARY_DIR}/e2e-media")
endforeach()
