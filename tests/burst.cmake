# Hundreds of clicks and keys within a second against the real game on Xvfb;
# in the ThreadSanitizer build (-DORVANEL_SANITIZE=thread) it must stay clean.
if(TARGET orvanel)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME input_burst
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/burst/burst.py --game $<TARGET_FILE:orvanel>
                   --pictures-tool $<TARGET_FILE:orvanel-pictures>)
  set_tests_properties(input_burst PROPERTIES TIMEOUT 300 LABELS window)
endif()
