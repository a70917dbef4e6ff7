# End-to-end tests on Xvfb (LABELS e2e).
include(${CMAKE_CURRENT_LIST_DIR}/settings.cmake)
