# A short replay soak over the bundled pictures: memory stays flat and the
# final title counts every hit. Sanitizer builds keep freed memory back on
# purpose, so the memory check means something only without them.
if(NOT ORVANEL_SANITIZE)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME soak_short
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/soak/soak.py
                   --replay $<TARGET_FILE:orvanel-replay> --pictures ${PROJECT_SOURCE_DIR}/pictures
                   --pictures-tool $<TARGET_FILE:orvanel-pictures> --frames 20000)
  set_tests_properties(soak_short PROPERTIES TIMEOUT 300 LABELS soak)
endif()
