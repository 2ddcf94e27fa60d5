# The real window, driven end to end under Xvfb (needs xvfb, openbox,
# xdotool and python3-xlib for the system python).
if(TARGET orvanel_window)
  add_executable(window_check window/window_check.cpp)
  target_compile_options(window_check PRIVATE ${ORVANEL_WARNINGS})
  target_link_libraries(window_check PRIVATE orvanel_window)

  # python3-xlib is installed for the system's python only.
  find_program(ORVANEL_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
  if(NOT ORVANEL_SYSTEM_PYTHON)
    set(ORVANEL_SYSTEM_PYTHON python3)
  endif()
  set(windowTest ${CMAKE_CURRENT_SOURCE_DIR}/window/window_test.py)
  foreach(part IN ITEMS no_display window full_screen)
    add_test(NAME window.${part}
             COMMAND ${ORVANEL_SYSTEM_PYTHON} ${windowTest} ${part} $<TARGET_FILE:window_check>)
    set_tests_properties(window.${part} PROPERTIES TIMEOUT 120 LABELS window)
  endforeach()
endif()
